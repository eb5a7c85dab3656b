#pragma once
// The name of the temporary file a write for the user goes to first.

#include <string>

namespace ql::platform {

// A path in the folder of `target` that no call in any process has given
// before: "." and the target's name (its first 40 bytes, cut at a character),
// "." and 16 hex digits, ".tmp" ("Nachweisliste.txt" gives
// ".Nachweisliste.txt.3f09c1d2e4b5a687.tmp"). The file is still created
// exclusively: a name already taken is tried again with the next one.
std::string TemporaryPathBeside(const std::string& target);

}  // namespace ql::platform

#pragma once
// UTF-8 <-> UTF-16 for the wide-character Windows calls.

#include <string>
#include <string_view>

namespace ql::platform {

// UTF-8 text as UTF-16 for the W calls; empty in, empty out.
std::wstring Wide(std::string_view utf8);

// A UTF-8 path for the W file calls: a long one (from 248 characters, where
// CreateFileW and CreateDirectoryW stop without it) as an absolute "\\?\"
// path, which the system takes up to 32767 characters; a shorter one as it is.
std::wstring WidePath(std::string_view utf8);

// UTF-16 text from a W call as UTF-8; the view ends where the text ends (no
// terminator counted).
std::string Utf8(std::wstring_view wide);

}  // namespace ql::platform

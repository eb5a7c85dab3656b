#pragma once
// Entry selection by a name mask such as "*.gpx".

#include <string_view>

namespace ql::zip {

// True when the entry name passes the mask: a trailing "/" of the name is
// dropped; "/" and "\" both separate folders; the folder parts of name and mask
// must be equal, and the name part must match the mask's name part ("*" any
// run, "?" one character). Letters A to Z compare without regard to case.
bool MatchesMask(std::string_view entryName, std::string_view mask);

}  // namespace ql::zip

#pragma once
// The GC codes of every waypoint of the loaded My Finds query, whatever its
// date, state or district: a cache found once cannot be found again.

#include <string>
#include <unordered_set>

#include "query/query_text.h"

namespace ql {

using CodeSet = std::unordered_set<std::string>;

// Codes in upper case, from the <name> line that follows each "<wpt" line
// within three lines.
CodeSet FoundCodes(const QueryText& lines);

}  // namespace ql

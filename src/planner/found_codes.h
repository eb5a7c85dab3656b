#pragma once
// The GC codes of every waypoint of the loaded My Finds query, whatever its
// date, state or district: a cache found once cannot be found again.

#include <string>
#include <unordered_set>

#include "base/cancel.h"
#include "query/query_text.h"

namespace ql {

using CodeSet = std::unordered_set<std::string>;

// Codes in upper case, from the <name> line that follows each "<wpt" line
// within three lines. A set `stop` ends the work with Cancelled.
CodeSet FoundCodes(const QueryText& lines, const CancelToken* stop = nullptr);

}  // namespace ql

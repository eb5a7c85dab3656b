#pragma once
// The proof list a player pastes into the challenge log: the number of
// districts covered, then per covered district (tally order) its best find,
// then the districts still missing.

#include <string>
#include <vector>

#include "districts/district_overview.h"
#include "core/records.h"

namespace ql {

// Lines end with "\n":
//   Quenlorn: 35 von 36 Kreisen belegt (Funde ab 2011-05-24)
//   Ahrweiler: GC12345 | Fish & Chips | 2012-03-04
//   ...
//   Fehlt: Kusel
// The bracketed text only with the cut-off filter on; names with their
// character references decoded.
std::string BuildProofList(const DistrictOverview& overview, const std::vector<CacheRow>& rows, bool cutoffEnabled);

}  // namespace ql

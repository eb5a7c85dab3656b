#pragma once
// The district overview in the query benchmark: border distances timed
// against the scan, the tenth column of the rows and the proof list.

#include <string>

#include "state/app_state.h"
#include "districts/district_overview.h"

namespace bench {

// Builds the overview of the state's last scan a few times and reports the
// best time beside the scan's own.
ql::DistrictOverview MeasureOverview(const ql::AppState& state, double scanSeconds, double scanCpu);

// The row's border distance in metres with one decimal, "-" when unmeasured.
std::string BorderColumn(const ql::DistrictOverview& overview, std::size_t row);

}  // namespace bench

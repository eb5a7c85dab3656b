#pragma once
// How the challenge grew: the number of districts covered after each find
// date on which a district was covered for the first time.

#include <string>
#include <vector>

#include "core/records.h"

namespace ql {

struct ProgressStep {
    std::string date;  // YYYY-MM-DD
    int covered = 0;  // districts covered up to and including that day
};

// From the rows of a scan (those the cut-off filter let through), in date
// order; rows without a district or a well-formed date are left out.
std::vector<ProgressStep> CoverageTimeline(const std::vector<CacheRow>& rows);

}  // namespace ql

#include "planner/progress.h"

#include <algorithm>
#include <array>

#include "core/tables.h"

namespace ql {

namespace {

bool IsDate(const std::string& t)
{
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

}  // namespace

std::vector<ProgressStep> CoverageTimeline(const std::vector<CacheRow>& rows)
{
    std::array<std::string, DistrictCount> first;  // each district's earliest find date
    for (const CacheRow& row : rows) {
        if (row.DistrictIndex < 0 || row.DistrictIndex >= DistrictCount || !IsDate(row.FindDate)) continue;
        std::string& f = first[static_cast<std::size_t>(row.DistrictIndex)];
        if (f.empty() || row.FindDate < f) f = row.FindDate;
    }
    std::vector<std::string> dates;
    for (const std::string& f : first)
        if (!f.empty()) dates.push_back(f);
    std::sort(dates.begin(), dates.end());
    std::vector<ProgressStep> steps;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        if (!steps.empty() && steps.back().date == dates[i]) steps.back().covered = static_cast<int>(i + 1);
        else steps.push_back({dates[i], static_cast<int>(i + 1)});
    }
    return steps;
}

}  // namespace ql

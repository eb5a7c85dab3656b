#pragma once
// The district overview of one scan: where each find lies, how far it is from
// the border of its district, and per district the finds counted and the
// find farthest inside it.

#include <array>
#include <vector>

#include "base/cancel.h"
#include "districts/district_map.h"
#include "core/records.h"
#include "core/tables.h"
#include "geo/border_distance.h"
#include "geo/point.h"

namespace ql {

constexpr double DefaultBorderThreshold = 100.0;  // metres
constexpr double MaxBorderThreshold = 1000.0;

struct FindPlace {
    bool located = false;  // the row has a point (both coordinates finite)
    TFPoint point;
    int district = -1;  // the district that counts the find, -1 for none
    // The district whose border is measured: its own, or for a find in no
    // district the nearest one; -1 when no district has a border.
    int measured = -1;
    double borderMetres = NoDistance;
};

struct DistrictSummary {
    int finds = 0;
    int bestRow = -1;  // the counted find farthest from the border; -1 without one
    double bestMetres = NoDistance;
};

enum class Coverage {
    Uncovered,  // no find counted
    NearBorder,  // finds counted, but even the best lies closer to the border than the threshold
    Covered,
};

struct DistrictOverview {
    std::vector<FindPlace> finds;  // one per row, in row order
    std::array<DistrictSummary, DistrictCount> districts{};

    int CoveredCount() const;
    Coverage CoverageOf(int district, double thresholdMetres) const;
};

// Metres from p to the nearest real border of any district, and that district.
struct NearestBorder {
    int district = -1;
    double metres = NoDistance;
};
NearestBorder FindNearestBorder(const DistrictMap& districts, TFPoint p);

// The overview of the rows a scan made on these districts, from each row's
// point and district. Large scans are measured on two threads. A set `stop`
// ends the work between blocks of finds with Cancelled.
DistrictOverview BuildDistrictOverview(const DistrictMap& districts, const std::vector<CacheRow>& rows,
                                       const CancelToken* stop = nullptr);

}  // namespace ql

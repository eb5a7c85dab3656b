#pragma once
// Generated My Finds pocket queries in the line layout the service writes:
// nine header lines, one waypoint block per find, CR LF breaks (bare LF
// inside texts), no break after the final </gpx>.

#include <cstdint>
#include <string>

#include "district_points.h"

namespace bench {

struct QueryPlan {
    std::size_t finds = 1000;
    std::uint64_t seed = 1;
    // About 60 finds: one after the cut-off well inside each district, a few
    // before it, a few outside every polygon and a few in other states.
    bool demo = false;
};

// The query text, ready to write.
std::string BuildMyFindsQuery(const DistrictShapes& shapes, const QueryPlan& plan);

// A pocket query of caches not yet found, in the same layout: caches spread
// over the districts, a few unavailable or archived.
struct CandidatePlan {
    std::size_t caches = 1000;
    std::uint64_t seed = 1;
    std::size_t firstIndex = 0;  // of the GC codes: queries whose ranges overlap share caches
    std::string name = "Rund um Mainz";
};
std::string BuildCandidateQuery(const DistrictShapes& shapes, const CandidatePlan& plan);

}  // namespace bench

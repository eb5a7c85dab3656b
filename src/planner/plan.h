#pragma once
// Which candidates would close which district: each candidate placed by the
// same polygons and rule as the finds, with its border distance, then ranked
// per district that is not yet covered, or covered only near its border.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "core/tables.h"
#include "geo/point.h"
#include "planner/candidate.h"

namespace ql {

// Where one candidate lies.
struct CandidatePlace {
    int district = -1;  // the district whose polygon holds it first, -1 for none
    double borderMetres = NoDistance;  // to that district's real border
};

// One place per candidate, in the candidates' order.
std::vector<CandidatePlace> PlaceCandidates(const DistrictMap& districts, std::span<const Candidate> caches);

struct PlanFilter {
    std::optional<TFPoint> home;
    bool onlyAvailable = true;
    double maxDifficulty = 5.0;
    double maxTerrain = 5.0;
    double thresholdMetres = DefaultBorderThreshold;
};

// One candidate in a district's list.
struct RankedCandidate {
    std::size_t cache = 0;  // index into the candidates
    double borderMetres = NoDistance;
    double homeMetres = NoDistance;  // NoDistance without a home point
    bool nearBorder = false;  // nearer the border than the threshold: it may not count
};

struct DistrictCandidates {
    Coverage coverage = Coverage::Covered;
    bool wanted = false;  // uncovered, or covered only near its border
    std::vector<RankedCandidate> ranked;  // after the filter, best first
};

using CandidatePlan = std::array<DistrictCandidates, DistrictCount>;

// Ranks the candidates of every wanted district: by distance from home,
// nearest first; without a home point by border distance, innermost first.
// Ties go to the code.
CandidatePlan RankCandidates(const std::vector<Candidate>& caches, const std::vector<CandidatePlace>& places,
                             const std::array<Coverage, DistrictCount>& coverage, const PlanFilter& filter);

// The coverage of every district from an overview.
std::array<Coverage, DistrictCount> CoverageOfAll(const DistrictOverview& overview, double thresholdMetres);

// The best `n` of a district: those clear of the border first, in rank order,
// then the near ones.
std::vector<RankedCandidate> BestOf(const DistrictCandidates& district, std::size_t n);

// The best `n` of every wanted district, in district order, each cache once.
std::vector<std::size_t> BestPerDistrict(const CandidatePlan& plan, std::size_t n);

}  // namespace ql

#include "planner/plan.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "planner/home_point.h"

namespace ql {

std::vector<CandidatePlace> PlaceCandidates(const DistrictMap& districts, std::span<const Candidate> caches)
{
    std::vector<CandidatePlace> places(caches.size());
    // The candidates of one district together, measured at once.
    std::array<std::vector<std::size_t>, DistrictCount> members;
    for (std::size_t i = 0; i < caches.size(); ++i) {
        const TFPoint p = caches[i].Point;
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
        if (const std::optional<int> d = districts.Find(p)) {
            places[i].district = *d;
            members[static_cast<std::size_t>(*d)].push_back(i);
        }
    }
    std::vector<TFPoint> points;
    std::vector<double> metres;
    for (int d = 0; d < DistrictCount; ++d) {
        const auto& list = members[static_cast<std::size_t>(d)];
        points.clear();
        for (std::size_t i : list) points.push_back(caches[i].Point);
        metres.assign(points.size(), NoDistance);
        districts.Border(d).Distances(points, metres);
        for (std::size_t k = 0; k < list.size(); ++k) places[list[k]].borderMetres = metres[k];
    }
    return places;
}

std::array<Coverage, DistrictCount> CoverageOfAll(const DistrictOverview& overview, double thresholdMetres)
{
    std::array<Coverage, DistrictCount> coverage{};
    for (int d = 0; d < DistrictCount; ++d)
        coverage[static_cast<std::size_t>(d)] = overview.CoverageOf(d, thresholdMetres);
    return coverage;
}

CandidatePlan RankCandidates(const std::vector<Candidate>& caches, const std::vector<CandidatePlace>& places,
                             const std::array<Coverage, DistrictCount>& coverage, const PlanFilter& filter)
{
    CandidatePlan plan;
    for (int d = 0; d < DistrictCount; ++d) {
        DistrictCandidates& dc = plan[static_cast<std::size_t>(d)];
        dc.coverage = coverage[static_cast<std::size_t>(d)];
        dc.wanted = dc.coverage != Coverage::Covered;
    }
    const std::size_t count = std::min(caches.size(), places.size());
    for (std::size_t i = 0; i < count; ++i) {
        const CandidatePlace& place = places[i];
        if (place.district < 0) continue;
        DistrictCandidates& dc = plan[static_cast<std::size_t>(place.district)];
        if (!dc.wanted) continue;
        const Candidate& c = caches[i];
        if (filter.onlyAvailable && !c.Available) continue;
        // An unknown rating passes: the file did not say.
        if (c.Difficulty > filter.maxDifficulty || c.Terrain > filter.maxTerrain) continue;
        RankedCandidate r;
        r.cache = i;
        r.borderMetres = place.borderMetres;
        r.homeMetres = filter.home ? GreatCircleMetres(*filter.home, c.Point) : NoDistance;
        r.nearBorder = place.borderMetres < filter.thresholdMetres;
        dc.ranked.push_back(r);
    }
    const bool byHome = filter.home.has_value();
    for (DistrictCandidates& dc : plan) {
        std::sort(dc.ranked.begin(), dc.ranked.end(), [&](const RankedCandidate& a, const RankedCandidate& b) {
            if (byHome && a.homeMetres != b.homeMetres) return a.homeMetres < b.homeMetres;
            if (a.borderMetres != b.borderMetres) return a.borderMetres > b.borderMetres;
            return caches[a.cache].Code < caches[b.cache].Code;
        });
    }
    return plan;
}

std::vector<RankedCandidate> BestOf(const DistrictCandidates& district, std::size_t n)
{
    std::vector<RankedCandidate> best;
    for (int pass = 0; pass < 2; ++pass)
        for (const RankedCandidate& r : district.ranked)
            if (best.size() < n && r.nearBorder == (pass == 1)) best.push_back(r);
    return best;
}

std::vector<std::size_t> BestPerDistrict(const CandidatePlan& plan, std::size_t n)
{
    std::vector<std::size_t> chosen;
    std::unordered_set<std::size_t> seen;
    for (const DistrictCandidates& dc : plan) {
        if (!dc.wanted) continue;
        for (const RankedCandidate& r : BestOf(dc, n))
            if (seen.insert(r.cache).second) chosen.push_back(r.cache);
    }
    return chosen;
}

}  // namespace ql

#include "planner/planner_session.h"

#include <algorithm>
#include <span>
#include <utility>

namespace ql {

PlannerSession::PlannerSession()
{
    Cover();
    Rank();
}

void PlannerSession::SetBoundaries(const DistrictMap* districts)
{
    districts_ = districts;
    Place();
    Rank();
}

void PlannerSession::SetFinds(const DistrictOverview& overview, CodeSet found)
{
    finds_.districts = overview.districts;
    found_ = std::move(found);
    // Caches found since the lists were loaded leave them.
    if (set_.DropFound(found_) > 0) Place();
    Cover();
    Rank();
}

void PlannerSession::SetThreshold(double metres)
{
    filter_.thresholdMetres = metres;
    Cover();
    Rank();
}

void PlannerSession::SetFilter(bool onlyAvailable, double maxDifficulty, double maxTerrain)
{
    filter_.onlyAvailable = onlyAvailable;
    filter_.maxDifficulty = maxDifficulty;
    filter_.maxTerrain = maxTerrain;
    Rank();
}

void PlannerSession::SetHome(std::optional<TFPoint> home)
{
    filter_.home = home;
    Rank();
}

CandidateLoad PlannerSession::AddFiles(const std::vector<std::string>& paths)
{
    const std::size_t before = set_.Caches().size();
    CandidateLoad load = set_.AddFiles(paths, found_);
    PlaceFrom(before);
    Rank();
    return load;
}

CandidateLoad PlannerSession::ReadLists(const std::vector<std::string>& paths, const CodeSet& found, CandidateSet& into,
                                        const CancelToken* cancel)
{
    return into.AddFiles(paths, found, cancel);
}

CandidateLoad PlannerSession::AddRead(CandidateSet read, const CandidateLoad& readLoad)
{
    const std::size_t before = set_.Caches().size();
    CandidateLoad load = set_.Absorb(std::move(read), found_);
    PlaceFrom(before);
    Rank();
    // What the reading left out counts as well; its messages come first.
    load.Duplicates += readLoad.Duplicates;
    load.AlreadyFound += readLoad.AlreadyFound;
    load.WithoutCoordinates += readLoad.WithoutCoordinates;
    load.Errors.insert(load.Errors.begin(), readLoad.Errors.begin(), readLoad.Errors.end());
    return load;
}

void PlannerSession::ClearLists()
{
    set_.Clear();
    Place();
    Rank();
}

std::vector<PlanRow> PlannerSession::RowsOf(int district) const
{
    std::vector<PlanRow> rows;
    if (district < 0 || district >= DistrictCount) return rows;
    const DistrictCandidates& dc = plan_[static_cast<std::size_t>(district)];
    if (!dc.wanted) return rows;
    rows.reserve(dc.ranked.size());
    for (const RankedCandidate& r : dc.ranked) {
        const Candidate& c = set_.Caches()[r.cache];
        rows.push_back({r, c.Code, c.Name, c.Type, c.SourceFile, c.Difficulty, c.Terrain, c.Available});
    }
    return rows;
}

std::vector<int> PlannerSession::WantedDistricts() const
{
    std::vector<int> wanted;
    for (int d = 0; d < DistrictCount; ++d)
        if (plan_[static_cast<std::size_t>(d)].wanted) wanted.push_back(d);
    return wanted;
}

void PlannerSession::Place()
{
    places_ =
        districts_ ? PlaceCandidates(*districts_, set_.Caches()) : std::vector<CandidatePlace>(set_.Caches().size());
}

void PlannerSession::PlaceFrom(std::size_t first)
{
    // The new caches come last: only they need a place.
    places_.resize(std::min(first, places_.size()));
    if (districts_) {
        const std::vector<CandidatePlace> more =
            PlaceCandidates(*districts_, std::span<const Candidate>(set_.Caches()).subspan(first));
        places_.insert(places_.end(), more.begin(), more.end());
    } else {
        places_.resize(set_.Caches().size());
    }
}

void PlannerSession::Cover()
{
    coverage_ = CoverageOfAll(finds_, filter_.thresholdMetres);
}

void PlannerSession::Rank()
{
    plan_ = RankCandidates(set_.Caches(), places_, coverage_, filter_);
    // Without boundaries no district can be planned: nothing is wanted.
    if (!districts_)
        for (DistrictCandidates& dc : plan_) dc.wanted = false;
    ++revision_;
}

}  // namespace ql

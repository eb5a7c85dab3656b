#pragma once
// The planner as one object: the candidate lists, where each candidate lies,
// the coverage of the districts they are measured against and the ranking.
// Every input has one setter, and each setter recomputes what depends on it
// before it returns, so no result lags behind an input:
//
//   boundaries  -> places -> ranking
//   finds       -> lists (found caches leave) -> coverage -> ranking
//   threshold   -> coverage -> ranking
//   filters, home point     -> ranking
//   lists       -> places -> ranking
//
// The overview's planner panel, query-bench plan and plan-speed drive the
// planner only through it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/tables.h"
#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "geo/point.h"
#include "planner/candidate_set.h"
#include "planner/found_codes.h"
#include "planner/plan.h"

namespace ql {

// One row of a district's candidate list, copied out of the session: it
// stays valid whatever the session does next.
struct PlanRow {
    RankedCandidate rank;  // rank.cache indexes the session's caches of the same revision
    std::string Code, Name, Type, SourceFile;
    double Difficulty = 0, Terrain = 0;
    bool Available = true;
};

class PlannerSession {
public:
    PlannerSession();

    // The district boundaries, or none (not loaded, or their load failed):
    // without them no candidate lies in a district and no district is
    // offered. The map must stay alive while it is set; after it was loaded
    // anew in place, set it again.
    void SetBoundaries(const DistrictMap* districts);
    // The finds of a scan (a new query, a re-scan, the cut-off box switched):
    // per district what counts, and the codes of every find, whose caches
    // leave the lists. No query loaded: an empty overview and no codes.
    void SetFinds(const DistrictOverview& overview, CodeSet found);
    // "Randnah unter (m)".
    void SetThreshold(double metres);
    void SetFilter(bool onlyAvailable, double maxDifficulty, double maxTerrain);
    void SetHome(std::optional<TFPoint> home);

    // Reads the files here and adds their caches (see CandidateSet::AddFiles).
    CandidateLoad AddFiles(const std::vector<std::string>& paths);
    // Adds lists read elsewhere (beside the window: ReadLists) with what their
    // reading counted.
    CandidateLoad AddRead(CandidateSet read, const CandidateLoad& readLoad);
    // Reads lists into a set of their own, leaving out the caches found; it
    // touches no session, so it may run on another thread. Cancelled when
    // `cancel` asks for it.
    static CandidateLoad ReadLists(const std::vector<std::string>& paths, const CodeSet& found, CandidateSet& into,
                                   const CancelToken* cancel);
    const CodeSet& Found() const { return found_; }
    void ClearLists();

    bool HasBoundaries() const { return districts_ != nullptr; }
    const DistrictMap* Boundaries() const { return districts_; }
    const CandidateSet& Lists() const { return set_; }
    const std::vector<Candidate>& Caches() const { return set_.Caches(); }
    const std::vector<CandidatePlace>& Places() const { return places_; }
    const std::array<Coverage, DistrictCount>& Coverages() const { return coverage_; }
    const PlanFilter& Filter() const { return filter_; }
    const CandidatePlan& Plan() const { return plan_; }
    // The ranked candidates of a district, best first; none for a district
    // not wanted or outside 0..35.
    std::vector<PlanRow> RowsOf(int district) const;
    // The wanted districts, in district order.
    std::vector<int> WantedDistricts() const;
    // Counts up with every change of a result: a reader knows whether what it
    // copied is still current.
    std::size_t Revision() const { return revision_; }

private:
    void Place();
    void PlaceFrom(std::size_t first);
    void Cover();
    void Rank();

    const DistrictMap* districts_ = nullptr;
    DistrictOverview finds_;  // the districts' summaries only
    CodeSet found_;
    CandidateSet set_;
    PlanFilter filter_;
    std::vector<CandidatePlace> places_;
    std::array<Coverage, DistrictCount> coverage_{};
    CandidatePlan plan_;
    std::size_t revision_ = 0;
};

}  // namespace ql

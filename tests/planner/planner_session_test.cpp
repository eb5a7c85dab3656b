// The planner session on the small map of Trier-Saarburg and Trier: every
// input change reaches the districts offered and their candidates.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "planner/planner_session.h"
#include "planner_fixtures.h"

namespace ql {
namespace {

using test::CandidateFixture;
using test::Trier;
using test::TrierSaarburg;

// A scan's overview reduced to what the planner reads: per district the
// finds counted and the distance of the best one.
DistrictOverview Finds(std::initializer_list<std::pair<int, double>> best)
{
    DistrictOverview overview;
    for (const auto& [district, metres] : best) {
        overview.districts[static_cast<std::size_t>(district)].finds = 1;
        overview.districts[static_cast<std::size_t>(district)].bestMetres = metres;
    }
    return overview;
}

// Every district covered but the two of the small map, as the rest of the state would be.
DistrictOverview ElsewhereCovered(std::initializer_list<std::pair<int, double>> best)
{
    DistrictOverview overview = Finds(best);
    for (int d = 0; d < DistrictCount; ++d)
        if (d != Trier && d != TrierSaarburg) overview.districts[static_cast<std::size_t>(d)] = {1, 0, 5000.0};
    return overview;
}

std::vector<std::string> Codes(const PlannerSession& session, int district)
{
    std::vector<std::string> codes;
    for (const PlanRow& row : session.RowsOf(district)) codes.push_back(row.Code);
    return codes;
}

class PlannerSessionTest : public ::testing::Test {
protected:
    // GC1FND1 of the list is among the finds.
    void SetUp() override { session.SetFinds(ElsewhereCovered({}), {"GC1FND1"}); }
    void LoadLists() { ASSERT_TRUE(session.AddFiles({CandidateFixture("site_pq.gpx")}).Errors.empty()); }

    DistrictMap map = test::SaarMap();
    PlannerSession session;
};

TEST_F(PlannerSessionTest, ListsLoadedBeforeTheBoundariesAreAssignedOnceTheyLoadAndLeaveWhenALoadFails)
{
    LoadLists();  // before the first query: no boundaries yet
    EXPECT_FALSE(session.HasBoundaries());
    EXPECT_TRUE(session.WantedDistricts().empty());  // nothing to plan, and nothing stale
    EXPECT_EQ(session.Places()[0].district, -1);

    session.SetBoundaries(&map);
    EXPECT_EQ(session.WantedDistricts(), (std::vector<int>{TrierSaarburg, Trier}));
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS02", "GC1TS01"}));  // GC1TS03 archived
    EXPECT_EQ(Codes(session, Trier), (std::vector<std::string>{"GC1TR01"}));

    session.SetBoundaries(nullptr);  // a load that failed
    EXPECT_TRUE(session.WantedDistricts().empty());
    EXPECT_TRUE(session.RowsOf(TrierSaarburg).empty());
    session.SetBoundaries(&map);  // "Kreisgrenzen neu laden"
    EXPECT_EQ(session.RowsOf(TrierSaarburg).size(), 2u);
    // A list added later is placed beside those placed before.
    session.AddFiles({CandidateFixture("gsak_cache10.gpx")});
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS02", "GC1TS05", "GC1TS01"}));
    EXPECT_EQ(Codes(session, Trier), (std::vector<std::string>{"GC1TR01"}));
}

TEST_F(PlannerSessionTest, ThresholdUpAndDownChangesWhichDistrictsAreWanted)
{
    session.SetBoundaries(&map);
    LoadLists();
    // Trier covered by a find 300 m inside, Trier-Saarburg by one exactly 100 m inside.
    session.SetFinds(ElsewhereCovered({{Trier, 300.0}, {TrierSaarburg, 100.0}}), {"GC1FND1"});
    EXPECT_TRUE(session.WantedDistricts().empty());  // at 100 m the find on the threshold counts
    session.SetThreshold(1000.0);
    EXPECT_EQ(session.WantedDistricts(), (std::vector<int>{TrierSaarburg, Trier}));
    EXPECT_EQ(session.Coverages()[Trier], Coverage::NearBorder);
    EXPECT_EQ(session.Plan()[Trier].ranked.size(), 1u);
    session.SetThreshold(100.0);
    EXPECT_TRUE(session.WantedDistricts().empty());
    EXPECT_EQ(session.Coverages()[Trier], Coverage::Covered);
    session.SetThreshold(300.0);  // equal to the best find: still covered
    EXPECT_EQ(session.WantedDistricts(), (std::vector<int>{TrierSaarburg}));
}

TEST_F(PlannerSessionTest, ANewScanCoversDistrictsAndTakesFoundCachesOut)
{
    session.SetBoundaries(&map);
    LoadLists();
    const std::size_t before = session.Revision();
    // A query that holds a find in Trier and GC1TS02 among its finds.
    session.SetFinds(ElsewhereCovered({{Trier, 500.0}}), {"GC1FND1", "GC1TS02"});
    EXPECT_GT(session.Revision(), before);
    EXPECT_EQ(session.WantedDistricts(), (std::vector<int>{TrierSaarburg}));
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS01"}));
    EXPECT_EQ(session.Caches().size(), 3u);
    // The cut-off box switched: the Trier find no longer counts.
    session.SetFinds(ElsewhereCovered({}), {"GC1FND1", "GC1TS02"});
    EXPECT_EQ(session.WantedDistricts(), (std::vector<int>{TrierSaarburg, Trier}));
    // Lists loaded after the scan leave out what it found.
    session.ClearLists();
    EXPECT_EQ(session.AddFiles({CandidateFixture("site_pq.gpx")}).AlreadyFound, 2u);
}

TEST_F(PlannerSessionTest, FiltersAndHomePointRankAgainAndRowsStayValidAfterwards)
{
    session.SetBoundaries(&map);
    LoadLists();
    const std::vector<PlanRow> copied = session.RowsOf(TrierSaarburg);
    session.SetFilter(false, 5.0, 5.0);  // the archived one too
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS03", "GC1TS02", "GC1TS01"}));
    session.SetFilter(true, 2.0, 5.0);  // GC1TS02 is a D3
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS01"}));
    session.SetFilter(true, 5.0, 5.0);
    session.SetHome(TFPoint{50.035, 7.005});  // on GC1TS01
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS01", "GC1TS02"}));
    EXPECT_EQ(session.RowsOf(TrierSaarburg)[0].rank.homeMetres, 0.0);
    session.SetHome(std::nullopt);
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS02", "GC1TS01"}));
    // What a window copied earlier is its own.
    session.ClearLists();
    EXPECT_TRUE(session.RowsOf(TrierSaarburg).empty());
    ASSERT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied[0].Code, "GC1TS02");
    EXPECT_EQ(copied[0].SourceFile, CandidateFixture("site_pq.gpx"));
}

TEST_F(PlannerSessionTest, ListsReadElsewhereAreAddedAsIfReadHereAndACancelledReadAddsNothing)
{
    session.SetBoundaries(&map);
    CancelToken stop;
    stop.Cancel();
    CandidateSet stopped;
    EXPECT_THROW(PlannerSession::ReadLists({CandidateFixture("site_pq.gpx")}, session.Found(), stopped, &stop),
                 Cancelled);
    EXPECT_TRUE(session.Caches().empty());
    CandidateSet read;
    const CandidateLoad readLoad = PlannerSession::ReadLists(
        {CandidateFixture("site_pq.gpx"), CandidateFixture("gsak_cache10.gpx")}, session.Found(), read, nullptr);
    const CandidateLoad load = session.AddRead(std::move(read), readLoad);
    EXPECT_EQ(load.Added, 5u);
    EXPECT_EQ(load.AlreadyFound, 1u);
    EXPECT_EQ(session.Lists().Files().size(), 2u);
    EXPECT_EQ(Codes(session, TrierSaarburg), (std::vector<std::string>{"GC1TS02", "GC1TS05", "GC1TS01"}));
}

}  // namespace
}  // namespace ql

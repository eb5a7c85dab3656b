// Candidates placed on the small map and ranked per wanted district.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "planner/candidate_reader.h"
#include "planner/plan.h"
#include "planner/progress.h"
#include "planner/trip_list.h"
#include "planner_fixtures.h"

namespace ql {
namespace {

using test::Trier;
using test::TrierSaarburg;

class PlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"site_pq.gpx", "app_gpx11_noext.gpx", "gsak_cache10.gpx"}) {
            for (Candidate& c : ReadCandidateGpx(test::ReadBytes(test::CandidateFixture(file)), file))
                if (c.Code != "GC1FND1" && !(c.Code == "GC1TS02" && std::string(file) != "site_pq.gpx"))
                    caches_.push_back(std::move(c));
        }
        places_ = PlaceCandidates(map_, caches_);
        coverage_.fill(Coverage::Covered);
        coverage_[TrierSaarburg] = Coverage::Uncovered;
        coverage_[Trier] = Coverage::NearBorder;
    }

    std::vector<std::string> Ranked(const CandidatePlan& plan, int district) const
    {
        std::vector<std::string> codes;
        for (const RankedCandidate& r : plan[static_cast<std::size_t>(district)].ranked)
            codes.push_back(caches_[r.cache].Code);
        return codes;
    }
    const CandidatePlace& PlaceOf(const std::string& code) const
    {
        for (std::size_t i = 0; i < caches_.size(); ++i)
            if (caches_[i].Code == code) return places_[i];
        throw std::logic_error("no such cache " + code);
    }

    DistrictMap map_ = test::SaarMap();
    std::vector<Candidate> caches_;
    std::vector<CandidatePlace> places_;
    std::array<Coverage, DistrictCount> coverage_{};
};

TEST_F(PlanTest, CandidatesLieInTheDistrictTheFindsWouldCountForWithTheirBorderDistance)
{
    EXPECT_EQ(PlaceOf("GC1TS01").district, TrierSaarburg);
    EXPECT_NEAR(PlaceOf("GC1TS01").borderMetres, 358.0, 2.0);  // from the western edge
    // On the line between Trier and Trier-Saarburg: the city counts it, at no distance.
    EXPECT_EQ(PlaceOf("GC1TR02").district, Trier);
    EXPECT_EQ(PlaceOf("GC1TR02").borderMetres, 0.0);
}

TEST_F(PlanTest, WithoutHomeTheInnermostComeFirstAndNearOnesAreMarked)
{
    const CandidatePlan plan = RankCandidates(caches_, places_, coverage_, PlanFilter{});
    // GC1TS03 is archived; the district nearest the border last.
    EXPECT_EQ(Ranked(plan, TrierSaarburg), (std::vector<std::string>{"GC1TS02", "GC1TS05", "GC1TS01", "GC1TS04"}));
    EXPECT_TRUE(plan[TrierSaarburg].ranked.back().nearBorder);  // 55 m
    EXPECT_FALSE(plan[TrierSaarburg].ranked.front().nearBorder);
    EXPECT_EQ(Ranked(plan, Trier), (std::vector<std::string>{"GC1TR01", "GC1TR02"}));
    EXPECT_TRUE(plan[Trier].wanted);
    EXPECT_FALSE(plan[0].wanted);
    EXPECT_TRUE(plan[0].ranked.empty());
}

TEST_F(PlanTest, HomeDistanceOrdersAndFiltersNarrowTheList)
{
    PlanFilter filter;
    filter.home = TFPoint{50.0, 7.02};  // just south of the square
    filter.onlyAvailable = false;
    CandidatePlan plan = RankCandidates(caches_, places_, coverage_, filter);
    EXPECT_EQ(Ranked(plan, TrierSaarburg),
              (std::vector<std::string>{"GC1TS04", "GC1TS02", "GC1TS05", "GC1TS03", "GC1TS01"}));
    EXPECT_NEAR(plan[TrierSaarburg].ranked[0].homeMetres, 55.6, 0.5);

    filter.maxDifficulty = 2.5;
    filter.maxTerrain = 2.0;
    plan = RankCandidates(caches_, places_, coverage_, filter);
    // GC1TS02 is a D3.
    EXPECT_EQ(Ranked(plan, TrierSaarburg), (std::vector<std::string>{"GC1TS04", "GC1TS05", "GC1TS03", "GC1TS01"}));
}

TEST_F(PlanTest, BestPicksThoseClearOfTheBorderFirstAndTheTripListNamesThem)
{
    coverage_[TrierSaarburg] = Coverage::NearBorder;
    PlanFilter filter;
    filter.home = TFPoint{50.0, 7.02};
    const CandidatePlan plan = RankCandidates(caches_, places_, coverage_, filter);
    // GC1TS04 is nearest home but 55 m from the border; GC1TR02 lies on it.
    const std::vector<std::size_t> best = BestPerDistrict(plan, 1);
    ASSERT_EQ(best.size(), 2u);
    EXPECT_EQ(caches_[best[0]].Code, "GC1TS02");
    EXPECT_EQ(caches_[best[1]].Code, "GC1TR01");
    EXPECT_EQ(BestPerDistrict(plan, 10).size(), 6u);

    EXPECT_EQ(TripListText(caches_, plan),
              "Trier-Saarburg: GC1TS02 Mitten im Kreis (Multi-cache, D3/T3.5), 0.7 km, 556 m zur Grenze\n"
              "Trier: GC1TR01 Porta Nigra (Virtual Cache, D1/T1), 1.7 km, 358 m zur Grenze\n");
    coverage_[Trier] = Coverage::Uncovered;
    filter.maxDifficulty = 1.0;
    filter.maxTerrain = 1.0;
    const CandidatePlan narrow = RankCandidates(caches_, places_, coverage_, filter);
    EXPECT_EQ(TripListText(caches_, narrow),
              "Trier-Saarburg: kein Kandidat\n"
              "Trier: GC1TR01 Porta Nigra (Virtual Cache, D1/T1), 1.7 km, 358 m zur "
              "Grenze\n");
}

TEST(Progress, EachDistrictCountsOnItsFirstFindDate)
{
    const auto row = [](const char* date, int district) {
        CacheRow r;
        r.FindDate = date;
        r.DistrictIndex = district;
        return r;
    };
    const std::vector<CacheRow> rows = {row("2014-05-01", 3), row("2012-01-09", 3),  row("2013-07-07", 7),
                                        row("2013-07-07", 8), row("2015-01-01", -1), row("2016-1-1", 9)};
    const std::vector<ProgressStep> steps = CoverageTimeline(rows);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].date, "2012-01-09");
    EXPECT_EQ(steps[0].covered, 1);
    EXPECT_EQ(steps[1].date, "2013-07-07");
    EXPECT_EQ(steps[1].covered, 3);
}

}  // namespace
}  // namespace ql

// The overview of a scan on the small map of Trier-Saarburg and Trier.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "support/saar_map.h"

namespace ql {
namespace {

using namespace test;

TEST(DistrictOverview, MeasuresEachFindToTheBorderOfItsDistrict)
{
    const DistrictMap map = SmallMap();
    const DistrictOverview overview = BuildDistrictOverview(map, SmallRows());
    ASSERT_EQ(overview.finds.size(), 8u);
    const double expected[] = {358.5, 111.2, 358.4, 55.6, 111.2, NAN, 358.5, 55.6};
    for (std::size_t r = 0; r < 8; ++r) {
        if (r == 5) continue;
        EXPECT_TRUE(overview.finds[r].located);
        EXPECT_NEAR(overview.finds[r].borderMetres, expected[r], expected[r] * 0.01) << r;
    }
    EXPECT_FALSE(overview.finds[5].located);
    EXPECT_EQ(overview.finds[5].district, Trier);
    EXPECT_EQ(overview.finds[5].borderMetres, NoDistance);
    // The find in no district is measured to the nearest district.
    EXPECT_EQ(overview.finds[4].district, -1);
    EXPECT_EQ(overview.finds[4].measured, TrierSaarburg);
    EXPECT_EQ(overview.finds[2].measured, Trier);
}

TEST(DistrictOverview, BestFindIsTheFarthestInsideAndTheEarlierOnATie)
{
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), SmallRows());
    const DistrictSummary& landkreis = overview.districts[TrierSaarburg];
    EXPECT_EQ(landkreis.finds, 4);
    EXPECT_EQ(landkreis.bestRow, 0);
    const DistrictSummary& city = overview.districts[Trier];
    EXPECT_EQ(city.finds, 3);  // the unreadable row counts, but cannot be best
    EXPECT_EQ(city.bestRow, 2);
    EXPECT_EQ(overview.districts[0].finds, 0);
    EXPECT_EQ(overview.districts[0].bestRow, -1);
    EXPECT_EQ(overview.CoveredCount(), 2);

    EXPECT_EQ(overview.CoverageOf(TrierSaarburg, 100.0), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(TrierSaarburg, 400.0), Coverage::NearBorder);
    EXPECT_EQ(overview.CoverageOf(Trier, 358.0), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(0, 0.0), Coverage::Uncovered);
}

TEST(DistrictOverview, NearestBorderSkipsDistrictsWithoutBorder)
{
    const DistrictMap map = SmallMap();
    const NearestBorder nearest = FindNearestBorder(map, {50.15, 7.15});  // inside district 0's "line"
    EXPECT_EQ(nearest.district, TrierSaarburg);
    EXPECT_EQ(FindNearestBorder(DistrictMap{}, {50.0, 7.0}).district, -1);
}

TEST(DistrictOverview, NearestBorderTieGoesToTheLowerDistrict)
{
    // Two squares a quarter degree either side of the point.
    DistrictMap map;
    map.SetPolygon(3, {{50.0, 7.0}, {50.25, 7.0}, {50.25, 7.25}, {50.0, 7.25}});
    map.SetPolygon(1, {{50.0, 7.75}, {50.25, 7.75}, {50.25, 8.0}, {50.0, 8.0}});
    const NearestBorder nearest = FindNearestBorder(map, {50.125, 7.5});
    EXPECT_EQ(nearest.district, 1);
    EXPECT_NEAR(nearest.metres, 17'960.0, 180.0);  // a quarter degree of longitude at 50.1 N
}

// Enough finds for two threads, in no particular order, some outside.
std::vector<CacheRow> ManyRows(const DistrictMap& map)
{
    std::vector<CacheRow> rows(10'000);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double lat = 49.995 + 0.05 * static_cast<double>((r * 7919) % 1000) / 1000.0;
        const double lon = 6.995 + 0.05 * static_cast<double>((r * 104729) % 997) / 997.0;
        rows[r].Point = {lat, lon};
        rows[r].DistrictIndex = map.Find(rows[r].Point).value_or(-1);
    }
    return rows;
}

TEST(DistrictOverview, ManyFindsMeasureAsEachAlone)
{
    const DistrictMap map = SmallMap();
    const std::vector<CacheRow> rows = ManyRows(map);
    const DistrictOverview overview = BuildDistrictOverview(map, rows);
    int outside = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const FindPlace& place = overview.finds[r];
        ASSERT_TRUE(place.located);
        if (rows[r].DistrictIndex >= 0) {
            ASSERT_EQ(place.borderMetres, map.Border(rows[r].DistrictIndex).Distance(rows[r].Point)) << r;
        } else {
            ++outside;
            const NearestBorder nearest = FindNearestBorder(map, rows[r].Point);
            ASSERT_EQ(place.measured, nearest.district) << r;
            ASSERT_EQ(place.borderMetres, nearest.metres) << r;
        }
    }
    EXPECT_GT(outside, 0);
    EXPECT_EQ(overview.districts[TrierSaarburg].finds + overview.districts[Trier].finds + outside, 10'000);
}

TEST(DistrictOverview, AStopAskedForEndsTheWorkAndAnUnsetTokenChangesNothing)
{
    const DistrictMap map = SmallMap();
    // A few finds on one thread, many on two.
    for (const std::vector<CacheRow>& rows : {SmallRows(), ManyRows(map)}) {
        CancelToken stop;
        stop.Cancel();
        EXPECT_THROW(BuildDistrictOverview(map, rows, &stop), Cancelled) << rows.size();
        const CancelToken go;
        const DistrictOverview overview = BuildDistrictOverview(map, rows, &go);
        const DistrictOverview plain = BuildDistrictOverview(map, rows);
        ASSERT_EQ(overview.finds.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r)
            ASSERT_EQ(overview.finds[r].borderMetres, plain.finds[r].borderMetres) << r;
        EXPECT_EQ(overview.districts[Trier].bestRow, plain.districts[Trier].bestRow);
    }
}

TEST(DistrictOverview, ABestFindExactlyAtTheThresholdCoversItsDistrict)
{
    const std::vector<CacheRow> rows = SmallRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const double best = overview.districts[Trier].bestMetres;
    ASSERT_GT(best, 0.0);
    EXPECT_EQ(overview.CoverageOf(Trier, best), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(Trier, std::nextafter(best, 2 * best)), Coverage::NearBorder);
    EXPECT_EQ(overview.CoverageOf(Trier, std::nextafter(best, 0.0)), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(5, 0.0), Coverage::Uncovered);
}

}  // namespace
}  // namespace ql

#include <gtest/gtest.h>

#include <string>

#include "query/query_pipeline.h"
#include "scan/scanner.h"
#include "core/tables.h"
#include "districts/polygon_files.h"
#include "platform/platform.h"
#include "scanner_query_builder.h"

namespace ql::scantest {
namespace {

std::string Fixture(const std::string& name)
{
    return platform::ReadWholeFile(std::string(QL_FIXTURES_DIR) + "/gpx/" + name);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// Real pocket queries of caches in other German states give no row as they are.
TEST_F(ScannerTest, RealQueriesFromOtherStatesGiveNoRow)
{
    for (const char* name : {"pq2011_7545915_GC31J2H.gpx", "pq2014_renamed_waypoints.gpx"}) {
        state.QueryLines = QueryText::FromBytes(Fixture(name));
        EXPECT_EQ(ScanWaypoints(state), 0) << name;
        EXPECT_EQ(state.NotInPolygonCount, 0) << name;
        EXPECT_TRUE(state.PlacemarkFiles.empty()) << name;
    }
}

// The same bytes with the state renamed in memory: every cache of the real
// layout is found at its offsets, with the newest find of these all-user logs.
TEST_F(ScannerTest, RealLayoutReadAtItsOffsetsOnceTheStateMatches)
{
    std::string text = Fixture("pq2014_renamed_waypoints.gpx");
    ReplaceAll(text, "<groundspeak:state>Nordrhein-Westfalen<", "<groundspeak:state>Rheinland-Pfalz<");
    state.QueryLines = QueryText::FromBytes(std::move(text));

    ASSERT_EQ(ScanWaypoints(state), 25);
    const CacheRow& first = state.Rows[0];
    EXPECT_EQ(first.GCCode, "GC3FGVH");
    EXPECT_EQ(first.Name, "Mittagspausen Mini Multi");
    EXPECT_EQ(first.TypeIndex, 1);
    EXPECT_EQ(first.Difficulty, "2.5");
    EXPECT_EQ(first.Terrain, "1.5");
    EXPECT_EQ(first.FindDate, "2014-05-08");
    EXPECT_EQ(first.LatText, "N 051° 17.320");
    EXPECT_EQ(state.Rows[1].GCCode, "GC3NBDE");
    EXPECT_EQ(state.Rows[1].Name, "Glückwunsch zum Kilo PH1990");
    EXPECT_EQ(state.Rows[1].Difficulty, "5.0");
    EXPECT_EQ(state.Rows[1].Terrain, "3.0");
    // North of both squares: every cache lies outside.
    EXPECT_EQ(state.NotInPolygonCount, 25);
    EXPECT_EQ(state.PlacemarkFiles.size(), 25u);
}

// The demo query that ships with the program, on the shipped polygons.
class DemoQueryTest : public ScannerTest {
protected:
    void SetUp() override
    {
        ScannerTest::SetUp();
        const std::string dir = std::string(QL_DATA_DIR) + "/rlp_polygons/";
        for (int i = 0; i < DistrictCount; ++i)
            state.PolyTable.SetPolygon(i, LoadPolygonFile(dir + std::string(DistrictFileNames[i]) + ".txt"));
        state.QueryLines = OpenQuery(std::string(QL_DATA_DIR) + "/demo/demo-myfinds.gpx");
    }
};

TEST_F(DemoQueryTest, CoversEveryDistrictAfterTheCutoff)
{
    ASSERT_TRUE(IsMyFindsQuery(state.QueryLines));
    const int rows = ScanWaypoints(state);
    for (int i = 0; i < DistrictCount; ++i) EXPECT_GE(state.DistrictTally[i], 1) << DistrictNames[i];
    EXPECT_EQ(state.NotInPolygonCount, 4);
    int tallied = 0;
    for (int count : state.DistrictTally) tallied += count;
    EXPECT_EQ(rows, tallied + state.NotInPolygonCount);

    // The finds before the cut-off come back without the filter, and only they.
    state.CutoffEnabled = false;
    EXPECT_EQ(ScanWaypoints(state), rows + 5);
}

}  // namespace
}  // namespace ql::scantest

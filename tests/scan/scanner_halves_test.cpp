// A large query is read in stretches by two threads at once: its rows, files and
// failures must be those of one walk from the first line to the last,
// whichever thread read which stretch.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/scanner.h"
#include "scan/scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

using test::ErrorOf;

// Caches "GC0", "GC1", ...: every third in district 0, every third in
// district 24, the rest outside every district as "GCSAME"; every seventh
// found before the cut-off date.
std::vector<Cache> ManyCaches(int n)
{
    std::vector<Cache> caches(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        Cache& c = caches[static_cast<std::size_t>(i)];
        c.code = "GC" + std::to_string(i);
        c.lat = i % 3 == 0 ? "49.5" : i % 3 == 1 ? "50.5" : "10.5";
        if (i % 3 == 2) c.code = "GCSAME";
        if (i % 7 == 0) c.logs = {Log{"Found it", "2010-03-04T07:00:00Z"}};
    }
    return caches;
}

TEST_F(ScannerTest, TwoHalvesGiveTheRowsAndFilesOfOneWalk)
{
    Load(ManyCaches(1'600));

    ASSERT_EQ(ScanWaypoints(state), 1'371);  // 1,600 less the 229 found before the cut-off

    // Rows in query order across the middle.
    EXPECT_EQ(state.Rows[0].GCCode, "GC1");
    EXPECT_EQ(state.Rows[1].GCCode, "GCSAME");
    EXPECT_EQ(state.Rows[2].GCCode, "GC3");
    EXPECT_EQ(state.Rows[1'368].GCCode, "GC1597");
    EXPECT_EQ(state.Rows[1'369].GCCode, "GCSAME");  // cache 1598
    EXPECT_EQ(state.Rows[1'369].LatText, "N 010\xC2\xB0 30.000");
    EXPECT_EQ(state.Rows[1'370].GCCode, "GC1599");
    EXPECT_EQ(state.DistrictTally[0], 457);
    EXPECT_EQ(state.DistrictTally[24], 457);
    EXPECT_EQ(state.NotInPolygonCount, 457);

    // The files of the finds outside, named in row order from both halves.
    ASSERT_EQ(state.PlacemarkFiles.size(), 457u);
    EXPECT_EQ(state.PlacemarkFiles[0], "GCSAME.kml");
    EXPECT_EQ(state.PlacemarkFiles[1], "GCSAME~2.kml");
    EXPECT_EQ(state.PlacemarkFiles[456], "GCSAME~457.kml");
    EXPECT_TRUE(std::filesystem::exists(folder / "GCSAME~457.kml"));
    ASSERT_EQ(state.NIPList.size(), 457u);

    // Without the cut-off every cache is a row.
    state.CutoffEnabled = false;
    EXPECT_EQ(ScanWaypoints(state), 1'600);
    EXPECT_EQ(state.Rows[1'599].GCCode, "GC1599");
}

TEST_F(ScannerTest, AFailureInEitherHalfComesWhereOneWalkMeetsIt)
{
    // In the second half: every row before it is made, then its message.
    std::vector<Cache> caches = ManyCaches(1'600);
    caches[1'500].lat = "4x.5";
    Load(caches);
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), "'4x.5' ist kein g\xC3\xBCltiger Gleitkommawert");
    ASSERT_EQ(state.Rows.size(), 1'285u);  // caches 0..1499 less 215 before the cut-off
    EXPECT_EQ(state.Rows.back().GCCode, "GCSAME");  // cache 1499
    EXPECT_EQ(state.PlacemarkFiles.size(), 429u);

    // In the first half as well: the first half's failure, and no row of the second.
    caches[100].lon = "7,5";
    Load(caches);
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), "'7,5' ist kein g\xC3\xBCltiger Gleitkommawert");
    ASSERT_EQ(state.Rows.size(), 85u);  // caches 0..99 less 15 before the cut-off
    EXPECT_EQ(state.Rows.back().GCCode, "GC99");
    EXPECT_EQ(state.NotInPolygonCount, 28);
}

TEST_F(ScannerTest, AFailureInAnyStretchComesWhereOneWalkMeetsIt)
{
    // Places all through the query: in the first stretch, read straight into the
    // rows, and in the later stretches, read by either thread, straight or into a pile.
    for (const int at : {3, 640, 700, 901, 1'150, 1'333, 1'480, 1'599}) {
        std::vector<Cache> caches = ManyCaches(1'600);
        caches[static_cast<std::size_t>(at)].lat = "4x.5";
        // A later failure as well: the earlier one in query order is met.
        if (at + 37 < 1'600) caches[static_cast<std::size_t>(at) + 37].lon = "7,5";
        Load(caches);
        ASSERT_GE(state.QueryLines.Size(), LinesReadByTwoThreads);
        EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), "'4x.5' ist kein g\xC3\xBCltiger Gleitkommawert")
            << "at " << at;
        // Every cache before it makes a row, but those found before the cut-off.
        std::size_t rows = 0, outside = 0;
        for (int i = 0; i < at; ++i) {
            rows += i % 7 != 0;
            outside += i % 7 != 0 && i % 3 == 2;
        }
        EXPECT_EQ(state.Rows.size(), rows) << "at " << at;
        EXPECT_EQ(state.PlacemarkFiles.size(), outside) << "at " << at;
    }
}

// Small caches, then one waypoint whose 40,000 country and state lines each
// make a row with a kilobyte of name: past the budget in the second half.
std::vector<std::string> SmallCachesThenABigOne(bool smallOnesBeforeTheCutoff)
{
    std::vector<Cache> small = ManyCaches(2'600);
    if (smallOnesBeforeTheCutoff)
        for (Cache& c : small) c.logs = {Log{"Found it", "2010-03-04T07:00:00Z"}};
    std::vector<std::string> lines = MyFindsLines(small);
    lines.pop_back();  // </gpx>
    Cache big;
    big.code = "GCBIG";
    big.name = std::string(1'000, 'n');
    AddWaypoint(lines, big);
    // The pairs go right after the big waypoint's own state line.
    const auto stateLine = lines.end() - 13;
    EXPECT_EQ(*stateLine, "      <groundspeak:state>Rheinland-Pfalz</groundspeak:state>");
    std::vector<std::string> pairs;
    for (int i = 0; i < 40'000; ++i) {
        pairs.push_back("      <groundspeak:country>Germany</groundspeak:country>");
        pairs.push_back("      <groundspeak:state>Rheinland-Pfalz</groundspeak:state>");
    }
    lines.insert(stateLine + 1, pairs.begin(), pairs.end());
    lines.push_back("</gpx>");
    return lines;
}

TEST_F(ScannerTest, RowsBeyondTheBudgetInTheSecondHalfStopWhereOneWalkStops)
{
    // The first half's rows count towards the budget of the second.
    // (The counts are those one walk from the first line reaches.)
    Load(SmallCachesThenABigOne(false));
    ASSERT_GE(state.QueryLines.Size(), LinesReadByTwoThreads);
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), BudgetMessage(33'728));
    ASSERT_EQ(state.Rows.size(), 33'728u);
    EXPECT_EQ(state.Rows[2'227].GCCode, "GC2599");
    EXPECT_EQ(state.Rows.back().GCCode, "GCBIG");

    // With no row from the small caches, the big one's rows alone reach it.
    Load(SmallCachesThenABigOne(true));
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), BudgetMessage(32'309));
    ASSERT_EQ(state.Rows.size(), 32'309u);
    EXPECT_EQ(state.Rows.front().GCCode, "GCBIG");
}

}  // namespace
}  // namespace ql::scantest

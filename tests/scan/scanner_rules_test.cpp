#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "scan/scanner.h"
#include "core/tables.h"
#include "base/user_error.h"
#include "platform/platform.h"
#include "scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

using test::ErrorOf;

Cache Found(std::string code, std::string date)
{
    Cache c;
    c.code = std::move(code);
    c.logs = {Log{"Found it", std::move(date)}};
    return c;
}

TEST_F(ScannerTest, AcceptedCacheFillsEveryColumnAndTheTally)
{
    Cache c;
    c.name = "Fuchs &amp; Hase an der Mühle";
    c.type = "Multi-cache";
    c.difficulty = "1";
    c.terrain = "4.5";
    c.lat = "49.123456";
    c.lon = "7.25";
    c.attributes = 0;  // the one-line empty attribute block shifts the country line
    Cache d = Found("GC2", "2020-02-29T19:00:00Z");
    d.lat = " 50.5 ";
    d.lon = "7.75";
    d.terrain = "5";
    d.attributes = 4;
    Load({c, d});

    ASSERT_EQ(ScanWaypoints(state), 2);
    ASSERT_EQ(state.Rows.size(), 2u);
    const CacheRow& r = state.Rows[0];
    EXPECT_EQ(r.GCCode, "GC1ABCD");
    EXPECT_EQ(r.TypeIndex, 1);
    EXPECT_EQ(r.Name, "Fuchs &amp; Hase an der Mühle");
    EXPECT_EQ(r.Difficulty, "1.0");
    EXPECT_EQ(r.Terrain, "4.5");
    EXPECT_EQ(r.FindDate, "2015-06-01");
    EXPECT_EQ(r.District, "Ahrweiler");
    EXPECT_EQ(r.LatText, "N 049° 07.407");
    EXPECT_EQ(r.LonText, "E 007° 15.000");
    EXPECT_EQ(r.Point.X, 49.123456);
    EXPECT_EQ(r.Point.Y, 7.25);
    EXPECT_EQ(r.DistrictIndex, 0);
    EXPECT_FALSE(r.NotInPolygon);

    EXPECT_EQ(state.Rows[1].District, "Frankenthal (Pfalz)");
    EXPECT_EQ(state.Rows[1].DistrictIndex, 24);
    EXPECT_EQ(state.Rows[1].Point.X, 50.5);  // blanks around the number are read
    EXPECT_EQ(state.Rows[1].Point.Y, 7.75);
    EXPECT_EQ(state.Rows[1].Terrain, "5.0");
    EXPECT_EQ(state.Rows[1].FindDate, "2020-02-29");
    EXPECT_EQ(state.DistrictTally[0], 1);
    EXPECT_EQ(state.DistrictTally[24], 1);
    EXPECT_EQ(state.NotInPolygonCount, 0);
    EXPECT_TRUE(state.NIPList.empty());
    EXPECT_TRUE(state.PlacemarkFiles.empty());
}

TEST_F(ScannerTest, OnlyGermanyWithRheinlandPfalzOnTheNextLineCounts)
{
    Cache otherState = Found("GC1", "2015-01-01T07:00:00Z");
    otherState.state = "Hessen";
    Cache otherCountry = Found("GC2", "2015-01-01T07:00:00Z");
    otherCountry.country = "Luxembourg";
    Cache accepted = Found("GC3", "2015-01-01T07:00:00Z");
    auto lines = MyFindsLines({otherState, otherCountry, accepted});
    Load(lines);
    ScanWaypoints(state);
    EXPECT_EQ(Codes(), std::vector<std::string>{"GC3"});

    // A line between the country and the state line breaks the pair.
    auto country = std::find(lines.rbegin(), lines.rend(), "      <groundspeak:country>Germany</groundspeak:country>");
    ASSERT_NE(country, lines.rend());
    lines.insert(country.base(), "      <!-- -->");
    Load(lines);
    EXPECT_EQ(ScanWaypoints(state), 0);
}

TEST_F(ScannerTest, CutoffDropsEarlierFindsByTextComparison)
{
    Load({Found("GC1", "2011-05-23T23:59:59Z"), Found("GC2", "2011-05-24T00:00:00Z"),
          Found("GC3", "2011-05-25T00:00:00"),  // no final Z: shortened to 2011-05-2
          Found("GC4", "2011-06-01"),  // date only: empty find date
          Found("GC5", "2024-01-01T07:00:00Z")});

    EXPECT_EQ(ScanWaypoints(state), 2);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC2", "GC5"}));
    EXPECT_EQ(state.DistrictTally[0], 2);  // dropped finds are not counted in the tally
    EXPECT_EQ(state.CutOffTally[0], 3);  // but remembered per district, for the proof list
    const std::vector<std::string> filtered = Codes();

    state.CutoffEnabled = false;
    EXPECT_EQ(ScanWaypoints(state), 5);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC2", "GC3", "GC4", "GC5"}));
    EXPECT_EQ(state.Rows[2].FindDate, "2011-05-2");
    EXPECT_EQ(state.Rows[3].FindDate, "");
    EXPECT_EQ(state.DistrictTally[0], 5);
    EXPECT_EQ(state.CutOffTally[0], 0);

    // Ticking the filter again gives back the filtered rows.
    state.CutoffEnabled = true;
    ScanWaypoints(state);
    EXPECT_EQ(Codes(), filtered);
}

TEST_F(ScannerTest, FindDateComesFromTheFirstFindLogOfTheWaypoint)
{
    Cache noteFirst = Found("GC1", "");
    noteFirst.logs = {{"Write note", "2012-01-01T07:00:00Z"},
                      {"Didn't find it", "2012-02-01T07:00:00Z"},
                      {"Found it", "2012-03-01T07:00:00Z"},
                      {"Found it", "2012-04-01T07:00:00Z"}};
    Cache event = Found("GC2", "");
    event.type = "Event Cache";
    event.logs = {{"Will Attend", "2013-01-01T07:00:00Z"}, {"Attended", "2013-01-05T19:00:00Z"}};
    Cache webcam = Found("GC3", "");
    webcam.type = "Webcam Cache";
    webcam.logs = {{"Webcam Photo Taken", "2014-07-07T07:00:00Z"}};
    Load({noteFirst, event, webcam});

    ScanWaypoints(state);
    ASSERT_EQ(state.Rows.size(), 3u);
    EXPECT_EQ(state.Rows[0].FindDate, "2012-03-01");
    EXPECT_EQ(state.Rows[1].FindDate, "2013-01-05");
    EXPECT_EQ(state.Rows[1].TypeIndex, 8);
    EXPECT_EQ(state.Rows[2].FindDate, "2014-07-07");
    EXPECT_EQ(state.Rows[2].TypeIndex, 4);
}

TEST_F(ScannerTest, AWaypointWithoutFindLogNeverTakesTheNextWaypointsDate)
{
    Cache noFind = Found("GC1", "");
    noFind.logs = {{"Didn't find it", "2015-01-01T07:00:00Z"}};
    Load({noFind, Found("GC2", "2016-02-02T07:00:00Z")});

    // With the filter the empty date drops it; without, it shows no date.
    EXPECT_EQ(ScanWaypoints(state), 1);
    EXPECT_EQ(Codes(), std::vector<std::string>{"GC2"});
    state.CutoffEnabled = false;
    EXPECT_EQ(ScanWaypoints(state), 2);
    EXPECT_EQ(state.Rows[0].FindDate, "");
    EXPECT_EQ(state.Rows[1].FindDate, "2016-02-02");

    // The last waypoint of the query without a find log: no read past the end.
    Load({Found("GC2", "2016-02-02T07:00:00Z"), noFind});
    EXPECT_EQ(ScanWaypoints(state), 2);
}

TEST_F(ScannerTest, ADamagedQueryCountsEachCacheOnce)
{
    // Three waypoint lines before two country and state pairs: a waypoint's
    // lines end where the next waypoint line begins.
    Load(RepeatedWaypoint("x", 2, 3));
    EXPECT_EQ(ScanWaypoints(state), 2);
    EXPECT_EQ(state.DistrictTally[0], 2);
    EXPECT_EQ(state.Rows[1].FindDate, "2016-02-02");

    // Thousands of them stay thousands of rows, found in one pass.
    Load(RepeatedWaypoint("x", 3000, 3000));
    EXPECT_EQ(ScanWaypoints(state), 3000);
}

TEST_F(ScannerTest, TypeOutsideTheTwelveShowsNoIcon)
{
    Cache known = Found("GC1", "2015-01-01T07:00:00Z");
    known.type = "Cache In Trash Out Event";
    Cache unknown = Found("GC2", "2015-01-01T07:00:00Z");
    unknown.type = "Project APE Cache";
    Cache blank = Found("GC3", "2015-01-01T07:00:00Z");
    blank.type = " Traditional Cache";  // a leading blank matches no name
    Load({known, unknown, blank});

    ScanWaypoints(state);
    ASSERT_EQ(state.Rows.size(), 3u);
    EXPECT_EQ(state.Rows[0].TypeIndex, 6);
    EXPECT_EQ(state.Rows[1].TypeIndex, NoTypeIcon);
    EXPECT_EQ(state.Rows[2].TypeIndex, NoTypeIcon);
}

TEST_F(ScannerTest, CacheOutsideEveryPolygonGetsRecordAndPlacemark)
{
    Cache outside = Found("GC9XYZ", "2015-01-01T07:00:00Z");
    outside.name = "Ein sehr langer Cachename über vierzig Zeichen hinaus";
    outside.type = "Cache In Trash Out Event";
    outside.lat = "-48.5";
    outside.lon = "-0.725e1";
    Load({Found("GC1", "2015-01-01T07:00:00Z"), outside});

    EXPECT_EQ(ScanWaypoints(state), 2);
    const CacheRow& r = state.Rows[1];
    EXPECT_TRUE(r.NotInPolygon);
    EXPECT_EQ(r.District, "NOT IN POLYGON!");
    EXPECT_EQ(r.DistrictIndex, -1);
    EXPECT_EQ(r.Point.X, -48.5);
    EXPECT_EQ(r.Point.Y, -7.25);
    EXPECT_EQ(r.LatText, "S 048° 30.000");
    EXPECT_EQ(r.LonText, "W 007° 15.000");
    EXPECT_EQ(r.Name, outside.name);  // the row keeps the whole name
    EXPECT_EQ(state.NotInPolygonCount, 1);
    EXPECT_EQ(state.DistrictTally[0], 1);

    ASSERT_EQ(state.NIPList.size(), 1u);
    const TNIPDatum& nip = state.NIPList[0];
    EXPECT_EQ(nip.GCNummer, "GC9XYZ");
    EXPECT_EQ(nip.Cachename,
              "Ein sehr langer Cachename \xFC"
              "ber vierzig Z");  // ANSI, 40 characters
    EXPECT_EQ(nip.Typ, "Cache In Trash Out E");
    // The record and the placemark keep the coordinates as the query writes them.
    EXPECT_EQ(nip.Koords, "S 048\xB0 30.000 W 007\xB0 15.000");
    EXPECT_EQ(nip.fKoords, "-48.5,-0.725e1");

    EXPECT_EQ(state.PlacemarkFiles, std::vector<std::string>{"GC9XYZ.kml"});
    const std::string kml = platform::ReadWholeFile(state.TempDir + "GC9XYZ.kml");
    EXPECT_NE(kml.find("<coordinates>-0.725e1,-48.5,0</coordinates>"), std::string::npos);
}

TEST_F(ScannerTest, WithoutBoundariesAFindInNoDistrictIsNotCalledOutsideAndGetsNoPlacemark)
{
    Cache outside = Found("GC9XYZ", "2015-01-01T07:00:00Z");
    outside.lat = "-48.5";
    Load({Found("GC1", "2015-01-01T07:00:00Z"), outside});
    for (const bool failedLoad : {true, false}) {
        SCOPED_TRACE(failedLoad ? "a failed load keeps the districts read before it" : "nothing loaded");
        if (failedLoad) {
            state.PolygonLoadFailure = "Datei fehlt";
        } else {
            state.PolygonLoadFailure.clear();
            state.PolyTable = DistrictMap();
        }
        EXPECT_EQ(ScanWaypoints(state), 2);
        EXPECT_EQ(state.Rows[0].District, failedLoad ? "Ahrweiler" : "Kreisgrenzen nicht geladen");
        EXPECT_EQ(state.Rows[1].District, "Kreisgrenzen nicht geladen");
        EXPECT_FALSE(state.Rows[1].NotInPolygon);  // no marker icon
        EXPECT_EQ(state.NotInPolygonCount, 0);
        EXPECT_TRUE(state.NIPList.empty());
        EXPECT_TRUE(state.PlacemarkFiles.empty());
        EXPECT_FALSE(std::filesystem::exists(folder / "GC9XYZ.kml"));
    }
}

TEST_F(ScannerTest, ShortQueryEmptiesThePreviousResults)
{
    Cache outside = Found("GC9", "2015-01-01T07:00:00Z");
    outside.lat = "10";
    Load({Found("GC1", "2015-01-01T07:00:00Z"), outside});
    ASSERT_EQ(ScanWaypoints(state), 2);
    ASSERT_TRUE(std::filesystem::exists(state.TempDir + "GC9.kml"));

    auto header = MyFindsHeader();  // nine lines: never scanned for waypoints
    header.back() = "  <wpt lat=\"49.5\" lon=\"7.5\">";
    Load(header);
    EXPECT_EQ(ScanWaypoints(state), 0);
    EXPECT_TRUE(state.Rows.empty());
    EXPECT_EQ(state.DistrictTally, DistrictTallyArray{});
    EXPECT_EQ(state.NotInPolygonCount, 0);
    EXPECT_TRUE(state.NIPList.empty());
    EXPECT_TRUE(state.PlacemarkFiles.empty());
    EXPECT_FALSE(std::filesystem::exists(state.TempDir + "GC9.kml"));
}

TEST_F(ScannerTest, ReadsPastTheEndStopWithTheIndexErrorAndKeepEarlierRows)
{
    Cache outside = Found("GC9", "2015-01-01T07:00:00Z");
    outside.lat = "10";
    auto lines = MyFindsLines({Found("GC1", "2015-01-01T07:00:00Z"), outside, Found("GC3", "2015-01-01T07:00:00Z")});

    // The closing line is the last line: the pass reads the line after it.
    lines.pop_back();  // </gpx>
    Load(lines);
    const std::size_t n = lines.size();
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }),
              "Listenindex überschreitet das Maximum (" + std::to_string(n) + ")");
    // What was made before the error stays.
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC9", "GC3"}));
    EXPECT_EQ(state.NotInPolygonCount, 1);
    EXPECT_EQ(state.NIPList.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(state.TempDir + "GC9.kml"));

    // No closing line at all.
    lines.pop_back();
    Load(lines);
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }),
              "Listenindex überschreitet das Maximum (" + std::to_string(n - 1) + ")");
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC9"}));

    // A waypoint line too close to the end for the fixed offsets.
    auto shortWaypoint = MyFindsLines({});
    shortWaypoint.insert(shortWaypoint.end() - 1,
                         {"  <wpt lat=\"49.5\" lon=\"7.5\">", "<groundspeak:country>Germany</groundspeak:country>",
                          "<groundspeak:state>Rheinland-Pfalz</groundspeak:state>", "  </wpt>"});
    Load(shortWaypoint);  // 14 lines; the cache name would be line 14
    EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), "Listenindex überschreitet das Maximum (14)");
}

TEST_F(ScannerTest, ABadCoordinateEndsTheScanEvenForADroppedFindLatitudeFirst)
{
    const struct {
        const char *lat, *lon, *message;
    } cases[] = {{"49,5", "7.5", "'49,5' ist kein gültiger Gleitkommawert"},
                 {"49.5x", "7.5y", "'49.5x' ist kein gültiger Gleitkommawert"},
                 {"49.5", "", "'' ist kein gültiger Gleitkommawert"}};
    for (const auto& c : cases) {
        Cache bad = Found("GC2", "2001-01-01T07:00:00Z");  // before the cut-off
        bad.lat = c.lat;
        bad.lon = c.lon;
        Load({Found("GC1", "2015-01-01T07:00:00Z"), bad});
        EXPECT_EQ(ErrorOf([&] { ScanWaypoints(state); }), c.message);
        EXPECT_EQ(Codes(), std::vector<std::string>{"GC1"});
    }
}

TEST_F(ScannerTest, ScanningTwiceGivesTheSameResultsAndFiles)
{
    std::vector<Cache> caches;
    for (int i = 0; i < 6; ++i) {
        Cache c = Found("GC" + std::to_string(100 + i), "2015-01-0" + std::to_string(i + 1) + "T07:00:00Z");
        c.lat = i % 3 == 0 ? "47." + std::to_string(i) : "50.1" + std::to_string(i);
        caches.push_back(c);
    }
    Load(caches);

    // Everything a scan leaves, files included, as one text.
    const auto results = [&] {
        std::string all;
        for (const CacheRow& r : state.Rows)
            all += r.GCCode + r.District + r.LatText + (r.NotInPolygon ? "!" : "") + "\n";
        for (int n : state.DistrictTally) all += std::to_string(n) + " ";
        for (const TNIPDatum& nip : state.NIPList) all += nip.fKoords + "\n";
        for (const auto& f : state.PlacemarkFiles) all += f + platform::ReadWholeFile(state.TempDir + f);
        return all;
    };
    ScanWaypoints(state);
    ASSERT_EQ(state.PlacemarkFiles.size(), 2u);
    const std::string first = results();
    ScanWaypoints(state);
    EXPECT_EQ(results(), first);
}

}  // namespace
}  // namespace ql::scantest

// A query cut short (a download or copy that stopped part way) keeps the rows
// read before the cut and says it is incomplete, with how many finds it read.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

Cache Find(const std::string& code)
{
    Cache c;
    c.code = code;
    return c;
}

// The message for a query cut after `finds` finds.
std::string CutText(const std::string& file, int finds)
{
    return "Die Datei \"" + file + "\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es " +
           (finds == 1 ? "wurde 1 Fund" : "wurden " + std::to_string(finds) + " Funde") + " gelesen.";
}

std::string ThreeFinds()
{
    return testquery::JoinLines(MyFindsLines({Find("GC1"), Find("GC2"), Find("GC3")}));
}

TEST(IncompleteQuery, OnlyTheClosingLineMakesAQueryComplete)
{
    EXPECT_TRUE(EndsWithClosingLine(QueryText::FromBytes(ThreeFinds())));
    EXPECT_TRUE(EndsWithClosingLine(QueryText::FromBytes(ThreeFinds() + "\r\n  \t\r\n\n")));
    EXPECT_TRUE(EndsWithClosingLine(QueryText::FromBytes("<gpx>\n</wpt></gpx>  ")));
    // What follows the closing line is no part of the query.
    EXPECT_TRUE(EndsWithClosingLine(QueryText::FromBytes(ThreeFinds() + "\r\nx")));
    EXPECT_FALSE(EndsWithClosingLine(QueryText::FromBytes(ThreeFinds().substr(0, ThreeFinds().size() - 2))));
    EXPECT_FALSE(EndsWithClosingLine(QueryText::FromBytes("")));
}

TEST_F(ScannerTest, AQueryCutAfterAWaypointKeepsItsRowsAndSaysSo)
{
    const std::string full = ThreeFinds();
    state.QueryFileName = "/daten/13746815.gpx";
    // Cut a few bytes after the second waypoint's closing line.
    const std::size_t second = full.find("</wpt>", full.find("</wpt>") + 1);
    state.QueryLines = QueryText::FromBytes(full.substr(0, second + 9));
    QueryScan scan = ScanQuery(state);
    EXPECT_EQ(scan.Rows, 2);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC2"}));
    EXPECT_EQ(scan.Incomplete, CutText("/daten/13746815.gpx", 2));

    // Cut inside the third waypoint: the scan's read past the end gives way to the same message.
    state.QueryLines = QueryText::FromBytes(full.substr(0, full.rfind("<groundspeak:logs>")));
    scan = ScanQuery(state);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC2"}));
    EXPECT_EQ(scan.Incomplete, CutText("/daten/13746815.gpx", 2));

    // Cut inside the first: one word for one find, none for none.
    state.QueryLines = QueryText::FromBytes(full.substr(0, full.find("</wpt>") - 3));
    EXPECT_EQ(ScanQuery(state).Incomplete, CutText("/daten/13746815.gpx", 0));
    EXPECT_EQ(IncompleteQueryText("q.gpx", 1), CutText("q.gpx", 1));

    // Nothing loaded: nothing to say.
    state.QueryLines = QueryText();
    EXPECT_EQ(ScanQuery(state).Incomplete, "");

    // The whole file: three rows, no word.
    state.QueryLines = QueryText::FromBytes(full);
    scan = ScanQuery(state);
    EXPECT_EQ(scan.Rows, 3);
    EXPECT_EQ(scan.Incomplete, "");
}

TEST_F(ScannerTest, AfterTheClosingLineNothingCountsAndOnlyTheEndIsTheCut)
{
    const std::string full = ThreeFinds();
    state.QueryFileName = "q.gpx";
    // NUL bytes, a Ctrl-Z, a comment, a non-breaking space after </gpx>: every row, no word.
    for (const std::string& tail :
         {std::string(4096, '\0'), std::string("\x1A"), std::string("\r\n<!-- x -->\r\n"), std::string("\xC2\xA0")}) {
        state.QueryLines = QueryText::FromBytes(full + tail);
        const QueryScan scan = ScanQuery(state);
        EXPECT_EQ(scan.Rows, 3);
        EXPECT_EQ(scan.Incomplete, "");
    }

    // Without </gpx>, a bad coordinate of the second waypoint is that error, not the cut.
    std::string damaged = full.substr(0, full.rfind("</gpx>"));
    const std::size_t second = damaged.find("<wpt lat=\"", damaged.find("<wpt lat=\"") + 1);
    damaged.replace(second + 10, 4, "4x.5");
    state.QueryLines = QueryText::FromBytes(damaged);
    EXPECT_EQ(test::ErrorOf([&] { ScanQuery(state); }), "'4x.5' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(Codes(), std::vector<std::string>{"GC1"});  // the rows before the error stay

    // A placemark file that cannot be written in a file cut short: the write's error.
    Cache outside = Find("GC9");
    outside.lat = "48.5";
    const std::string withOutside = testquery::JoinLines(MyFindsLines({Find("GC1"), outside, Find("GC3")}));
    std::filesystem::create_directory(folder / "GC9.kml");  // a folder where the file goes
    state.QueryLines = QueryText::FromBytes(withOutside.substr(0, withOutside.rfind("<groundspeak:logs>")));
    const std::string error = test::ErrorOf([&] { ScanQuery(state); });
    EXPECT_EQ(error.rfind("Datei \"" + state.TempDir + "GC9.kml\" kann nicht erstellt werden.", 0), 0u) << error;
}

}  // namespace
}  // namespace ql::scantest

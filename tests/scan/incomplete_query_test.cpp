// A query cut short (a download or copy that stopped part way) keeps the rows
// read before the cut and says it is incomplete, with how many finds it read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner_query_builder.h"

namespace ql::scantest {
namespace {

Cache Find(const std::string& code)
{
    Cache c;
    c.code = code;
    return c;
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
    EXPECT_FALSE(EndsWithClosingLine(QueryText::FromBytes(ThreeFinds() + "\r\nx")));
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
    EXPECT_EQ(scan.Incomplete, "Die Datei \"/daten/13746815.gpx\" ist unvollständig: Die abschließende Zeile </gpx> "
                               "fehlt. Es wurden 2 Funde gelesen.");

    // Cut inside the third waypoint: the scan's read past the end gives way to the same message.
    state.QueryLines = QueryText::FromBytes(full.substr(0, full.rfind("<groundspeak:logs>")));
    scan = ScanQuery(state);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC2"}));
    EXPECT_EQ(scan.Incomplete, "Die Datei \"/daten/13746815.gpx\" ist unvollständig: Die abschließende Zeile </gpx> "
                               "fehlt. Es wurden 2 Funde gelesen.");

    // Cut inside the first: one word for one find, none for none.
    state.QueryLines = QueryText::FromBytes(full.substr(0, full.find("</wpt>") - 3));
    EXPECT_EQ(ScanQuery(state).Incomplete, "Die Datei \"/daten/13746815.gpx\" ist unvollständig: Die abschließende "
                                           "Zeile </gpx> fehlt. Es wurden 0 Funde gelesen.");
    EXPECT_EQ(IncompleteQueryText("q.gpx", 1),
              "Die Datei \"q.gpx\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es wurde 1 Fund gelesen.");

    // Nothing loaded: nothing to say.
    state.QueryLines = QueryText();
    EXPECT_EQ(ScanQuery(state).Incomplete, "");

    // The whole file: three rows, no word.
    state.QueryLines = QueryText::FromBytes(full);
    scan = ScanQuery(state);
    EXPECT_EQ(scan.Rows, 3);
    EXPECT_EQ(scan.Incomplete, "");
}

}  // namespace
}  // namespace ql::scantest

// Queries shaped to cost memory: a flood of line breaks, one waypoint repeated
// by thousands of country lines. What they may hold is bounded by their text.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/user_error.h"
#include "query/query_pipeline.h"
#include "query/query_text.h"
#include "scan/scanner.h"
#include "scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

using test::ErrorOf;

TEST(QueryLimits, BareLineBreaksBeyondTheLineLimitAreRefused)
{
    // Five million one-byte lines: 312,500 lines for the bytes plus 4,194,304 are allowed.
    EXPECT_EQ(ErrorOf([] { (void)QueryText::FromBytes(std::string(5'000'000, '\n')); }),
              "Die Abfrage hat zu viele Zeilen: Bei 5.000.000 Bytes sind höchstens 4.506.804 Zeilen möglich.");
    // CR LF pairs count once: four million lines in eight million bytes stay inside.
    std::string pairs(8'000'000, '\n');
    for (std::size_t i = 0; i < pairs.size(); i += 2) pairs[i] = '\r';
    const QueryText q = QueryText::FromBytes(std::move(pairs));
    EXPECT_EQ(q.Size(), 4'000'000u);
    EXPECT_EQ(q.At(3'999'999), "");
    // Four bytes a line in the table and one for the line's kind, not eight;
    // the text in whole huge pages of 2 MiB.
    EXPECT_LT(q.MemoryBytes(), (8u << 20) + 5u * 4'000'001u + 2u * 4096u);
}

#ifndef _WIN32
TEST(QueryLimits, AFileBeyondTheSizeLimitIsRefusedBeforeItIsRead)
{
    // A sparse file: four gigabytes that take no room on the disk.
    const auto path =
        std::filesystem::temp_directory_path() / ("ql_huge_" + std::to_string(static_cast<long>(::getpid())) + ".gpx");
    {
        std::ofstream(path) << "x";
    }
    std::filesystem::resize_file(path, 4'000'000'001ULL);
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(path.string()); }),
              "Die Abfrage ist zu groß: 4.000.000.001 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    std::filesystem::remove(path);
}
#endif

// One waypoint whose country and state lines repeat `pairs` times after it.
std::vector<std::string> RepeatedWaypoint(const std::string& name, int pairs)
{
    std::vector<std::string> lines = MyFindsHeader();
    lines.push_back("  <wpt lat=\"49.5\" lon=\"7.5\">");
    lines.push_back("    <time>2010-01-01T07:00:00Z</time>");
    lines.push_back("    <name>GC1ABCD</name>");
    lines.push_back("    <desc>x</desc>");
    lines.push_back("    <url>x</url>");
    lines.push_back("    <urlname>" + name + "</urlname>");
    for (int i = 0; i < 6; ++i) lines.push_back("    <sym>x</sym>");
    lines.push_back("      <groundspeak:type>Traditional Cache</groundspeak:type>");
    lines.push_back("      <groundspeak:difficulty>1</groundspeak:difficulty>");
    lines.push_back("      <groundspeak:terrain>1</groundspeak:terrain>");
    for (int i = 0; i < pairs; ++i) {
        lines.push_back("      <groundspeak:country>Germany</groundspeak:country>");
        lines.push_back("      <groundspeak:state>Rheinland-Pfalz</groundspeak:state>");
    }
    lines.push_back("          <groundspeak:date>2016-02-02T07:00:00Z</groundspeak:date>");
    lines.push_back("          <groundspeak:type>Found it</groundspeak:type>");
    lines.push_back("  </wpt>");
    lines.push_back("</gpx>");
    return lines;
}

std::string Euros(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) text += "\xE2\x82\xAC";  // three bytes each
    return text;
}

TEST_F(ScannerTest, ARowTakesAtMostAKilobyteOfAName)
{
    // A 100 KB name shared by 2,000 rows: each row keeps 1,023 bytes of it,
    // cut between two characters.
    Load(RepeatedWaypoint(Euros(34'000), 2'000));
    ASSERT_EQ(ScanWaypoints(state), 2'000);
    EXPECT_EQ(state.Rows[0].Name, Euros(341));
    EXPECT_EQ(state.Rows[1'999].Name, Euros(341));
    EXPECT_EQ(state.Rows[1'999].FindDate, "2016-02-02");

    // A real name is kept whole.
    Load(RepeatedWaypoint("Burgblick &amp; Aussicht", 1));
    ASSERT_EQ(ScanWaypoints(state), 1);
    EXPECT_EQ(state.Rows[0].Name, "Burgblick &amp; Aussicht");
}

TEST_F(ScannerTest, RowsBeyondWhatTheTextAllowsEndTheScanWithAMessage)
{
    // 60,000 rows of a kilobyte from 6.5 MB of text: the rows may hold the
    // text's size plus 32 MiB, and stop there; the rows made stay.
    Load(RepeatedWaypoint(Euros(400), 60'000));
    const std::string message = ErrorOf([&] { ScanWaypoints(state); });
    const std::string start =
        "Die Datei ist vermutlich beschädigt: Sie ergibt mehr Ergebniszeilen, als ihre Größe "
        "zulässt. Es wurden ";
    ASSERT_EQ(message.substr(0, start.size()), start);
    EXPECT_EQ(message, start + std::to_string(state.Rows.size()) + " Funde gelesen.");
    EXPECT_GT(state.Rows.size(), 20'000u);
    EXPECT_LT(state.Rows.size(), 60'000u);
}

TEST_F(ScannerTest, ALongCodeOutsideEveryDistrictDoesNotEndTheScan)
{
    Cache far;
    far.code = std::string(300, 'G');
    far.lat = "10";
    far.lon = "10";
    Cache next;
    next.code = "GC2";
    Load({far, next});
    EXPECT_EQ(ScanWaypoints(state), 2);
    EXPECT_EQ(state.PlacemarkFiles, std::vector<std::string>{std::string(100, 'G') + ".kml"});
    EXPECT_TRUE(std::filesystem::exists(folder / (std::string(100, 'G') + ".kml")));
}

}  // namespace
}  // namespace ql::scantest

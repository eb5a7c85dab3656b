#pragma once
// The scanner test fixture: its own temporary folder, square districts, and
// My Finds queries loaded as query text.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "state/app_state.h"
#include "query/query_text.h"
#include "geo/point_in_polygon.h"
#include "support/my_finds_query.h"

namespace ql::scantest {

using testquery::Cache;
using testquery::Log;
using testquery::MyFindsHeader;
using testquery::MyFindsLines;

// The lines as query text, CR LF between them.
inline QueryText Join(const std::vector<std::string>& lines)
{
    return QueryText::FromBytes(testquery::JoinLines(lines));
}

// A waypoint whose country and state lines repeat `pairs` times after it,
// its opening line repeated `waypoints` times: a damaged query.
inline std::vector<std::string> RepeatedWaypoint(const std::string& name, int pairs, int waypoints = 1)
{
    std::vector<std::string> lines = MyFindsHeader();
    for (int i = 0; i < waypoints; ++i) lines.push_back("  <wpt lat=\"49.5\" lon=\"7.5\">");
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

// The message of a scan that made more rows than its text allows.
inline std::string BudgetMessage(std::size_t rows)
{
    return "Die Datei ist vermutlich besch\xC3\xA4"
           "digt: Sie ergibt mehr Ergebniszeilen, als ihre "
           "Gr\xC3\xB6\xC3\x9F"
           "e zul\xC3\xA4"
           "sst. Es wurden " +
           std::to_string(rows) + " Funde gelesen.";
}

inline TPolyArray Square(double lat, double lon, double size)
{
    return {{lat, lon}, {lat, lon + size}, {lat + size, lon + size}, {lat + size, lon}};
}

// District 0 ("Ahrweiler") covers 49..50 N, 7..8 E; district 24
// ("Frankenthal (Pfalz)") 50..51 N, 7..8 E; the others are empty.
class ScannerTest : public ::testing::Test {
protected:
    AppState state;
    std::filesystem::path folder;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("ql_scanner_" + std::string(info->name()) + "_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.TempDir = folder.string() + "/";
        state.PolyTable.SetPolygon(0, Square(49, 7, 1));
        state.PolyTable.SetPolygon(24, Square(50, 7, 1));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void Load(const std::vector<std::string>& lines) { state.QueryLines = Join(lines); }
    void Load(const std::vector<Cache>& caches) { Load(MyFindsLines(caches)); }

    std::vector<std::string> Codes() const
    {
        std::vector<std::string> codes;
        for (const CacheRow& r : state.Rows) codes.push_back(r.GCCode);
        return codes;
    }
};

}  // namespace ql::scantest

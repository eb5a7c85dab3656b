// More finds outside every district than placemark files are made: the files
// stop at the cap, the page lists the rest without link and says why, the
// user is told once.

#include <gtest/gtest.h>

#include <filesystem>

#include "reports/nip_page.h"
#include "scan/placemark_writer.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner_query_builder.h"

namespace ql::scantest {
namespace {

using PlacemarkCap = ScannerTest;

TEST_F(PlacemarkCap, FilesStopAtTheCapAndThePageListsTheRestWithoutLink)
{
    std::vector<Cache> caches;
    for (std::size_t i = 0; i < MaxPlacemarkFiles + 2; ++i) {
        Cache c;
        c.code = "GC" + std::to_string(100000 + i);
        c.lat = "48.5";  // outside both squares
        caches.push_back(c);
    }
    Load(caches);
    QueryScan scan = ScanQuery(state);
    EXPECT_EQ(scan.Rows, static_cast<int>(MaxPlacemarkFiles + 2));
    EXPECT_EQ(state.NIPList.size(), MaxPlacemarkFiles + 2);
    ASSERT_EQ(state.PlacemarkFiles.size(), MaxPlacemarkFiles);
    EXPECT_TRUE(state.PlacemarkFilesCapped);
    EXPECT_EQ(scan.Notice, PlacemarkCapText());
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, MaxPlacemarkFiles);

    const std::vector<std::string> lines = BuildNipPageLines(state.NIPList, state.PlacemarkFiles, state.TempDir);
    const std::string& table = lines[10];
    EXPECT_NE(table.find("GC109999.kml"), std::string::npos);  // the last one with a file
    EXPECT_EQ(table.find("GC110000.kml"), std::string::npos);
    EXPECT_NE(table.find("<td>GC110001</td></tr></table><p>Es liegen mehr als 10.000 Funde"), std::string::npos);

    // Told once: the next scan reaches the cap again and says nothing.
    scan = ScanQuery(state);
    EXPECT_TRUE(state.PlacemarkFilesCapped);
    EXPECT_TRUE(scan.Notice.empty());

    // Below the cap the page is as before: no record without its name.
    caches.resize(3);
    Load(caches);
    ScanQuery(state);
    EXPECT_FALSE(state.PlacemarkFilesCapped);
    EXPECT_EQ(BuildNipPageLines(state.NIPList, state.PlacemarkFiles, state.TempDir)[10].find("<p>"), std::string::npos);
}

}  // namespace
}  // namespace ql::scantest

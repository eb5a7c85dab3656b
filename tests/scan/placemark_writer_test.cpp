#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/placemark_writer.h"
#include "scan/scanner.h"
#include "scanner_query_builder.h"
#include "support/error_of.h"

namespace ql::scantest {
namespace {

Cache Find(std::string code, bool outside)
{
    Cache c;
    c.code = std::move(code);
    c.logs = {Log{"Found it", "2015-01-01T07:00:00Z"}};
    if (outside) c.lat = "10";
    return c;
}

std::string ErrorOf(AppState& state)
{
    return test::ErrorOf([&] { ScanWaypoints(state); });
}

class PlacemarkWriterTest : public ScannerTest {
protected:
    // GC3's file cannot be created: a folder stands under its name.
    void BlockGC3() { std::filesystem::create_directory(state.TempDir + "GC3.kml"); }

    // The results as a scan that wrote each file in turn leaves them when
    // GC3's file fails: its row without district and coordinates, nothing after it.
    void ExpectStoppedAtGC3()
    {
        ASSERT_EQ(Codes(), (std::vector<std::string>{"GC1", "GC2", "GC3"}));
        EXPECT_EQ(state.Rows[1].District, "NOT IN POLYGON!");
        EXPECT_FALSE(state.Rows[1].LatText.empty());
        const CacheRow& failed = state.Rows[2];
        EXPECT_TRUE(failed.NotInPolygon);
        EXPECT_EQ(failed.Name, "Burgblick");
        EXPECT_EQ(failed.FindDate, "2015-01-01");
        EXPECT_EQ(failed.District, "");
        EXPECT_EQ(failed.LatText, "");
        EXPECT_EQ(failed.LonText, "");
        EXPECT_EQ(state.DistrictTally[0], 1);
        EXPECT_EQ(state.NotInPolygonCount, 2);
        ASSERT_EQ(state.NIPList.size(), 2u);
        EXPECT_EQ(state.NIPList[1].GCNummer, "GC3");
        EXPECT_EQ(state.PlacemarkFiles, std::vector<std::string>{"GC2.kml"});
        EXPECT_TRUE(std::filesystem::exists(state.TempDir + "GC2.kml"));
        EXPECT_FALSE(std::filesystem::exists(state.TempDir + "GC5.kml"));  // nothing written after the failure
    }

    std::string WriteError() const { return "Datei \"" + state.TempDir + "GC3.kml\" kann nicht erstellt werden. "; }
};

TEST_F(PlacemarkWriterTest, AFailedWriteLeavesTheResultsAsTheyStoodAtThatFile)
{
    // The previous scan's file goes, whatever happens later.
    Load({Find("GC9", true)});
    ASSERT_EQ(ScanWaypoints(state), 1);
    ASSERT_TRUE(std::filesystem::exists(state.TempDir + "GC9.kml"));

    BlockGC3();
    Load({Find("GC1", false), Find("GC2", true), Find("GC3", true), Find("GC4", false), Find("GC5", true)});
    const std::string error = ErrorOf(state);
    EXPECT_EQ(error.substr(0, WriteError().size()), WriteError());
    EXPECT_GT(error.size(), WriteError().size());  // the system's reason follows
    ExpectStoppedAtGC3();
    EXPECT_FALSE(std::filesystem::exists(state.TempDir + "GC9.kml"));
}

TEST_F(PlacemarkWriterTest, AScanWritesOverItsOwnNamesAndDeletesThePreviousScansOthers)
{
    Load({Find("GC1", true), Find("GC2", true), Find("GC3", true)});
    ASSERT_EQ(ScanWaypoints(state), 3);
    const auto gc2 = std::filesystem::status(state.TempDir + "GC2.kml");
    ASSERT_TRUE(std::filesystem::is_regular_file(gc2));

    // GC2 found elsewhere now; GC3 with another name; GC4 new.
    Cache moved = Find("GC3", true);
    moved.name = "Umgezogen";
    Load({Find("GC2", false), moved, Find("GC4", true)});
    ASSERT_EQ(ScanWaypoints(state), 3);
    EXPECT_EQ(state.PlacemarkFiles, (std::vector<std::string>{"GC3.kml", "GC4.kml"}));
    EXPECT_FALSE(std::filesystem::exists(state.TempDir + "GC1.kml"));
    EXPECT_FALSE(std::filesystem::exists(state.TempDir + "GC2.kml"));
    EXPECT_NE(platform::ReadWholeFile(state.TempDir + "GC3.kml").find("Umgezogen"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(state.TempDir + "GC4.kml"));
}

// The walk runs ahead of the files: an error the walk meets later gives way
// to the write that failed first.
TEST_F(PlacemarkWriterTest, TheFirstFailureWinsOverALaterReadPastTheEnd)
{
    BlockGC3();
    auto lines =
        MyFindsLines({Find("GC1", false), Find("GC2", true), Find("GC3", true), Find("GC4", false), Find("GC5", true)});
    lines.pop_back();  // </gpx>
    lines.pop_back();  // GC5's closing line: the walk reads past the end
    Load(lines);
    EXPECT_EQ(ErrorOf(state).substr(0, WriteError().size()), WriteError());
    ExpectStoppedAtGC3();
}

TEST_F(PlacemarkWriterTest, FilesAreWrittenInOrderOverWhatStoodThere)
{
    const std::string a = state.TempDir + "a.txt", b = state.TempDir + "b.txt";
    platform::WriteWholeFile(a, "an older and longer text");
    {
        FileWriterThread writer;
        writer.Write(a, "new a");
        writer.Write(b, "b");
        EXPECT_EQ(writer.Finish(), 2u);
    }
    EXPECT_EQ(platform::ReadWholeFile(a), "new a");
    EXPECT_EQ(platform::ReadWholeFile(b), "b");
}

}  // namespace
}  // namespace ql::scantest

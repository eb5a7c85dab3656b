// The scan as the window runs it beside itself: into results of its own,
// stoppable, its placemark files left for a writer that follows the list.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "query/query_pipeline.h"
#include "scan/placemark_files_beside.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "scanner_query_builder.h"
#include "support/error_of.h"
#include "support/zip_builder.h"

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

std::vector<Cache> Finds(int count, int outsideEvery)
{
    std::vector<Cache> caches;
    for (int i = 0; i < count; ++i) caches.push_back(Find("GC" + std::to_string(i), i % outsideEvery == 0));
    return caches;
}

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything in the folder, by name.
std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using ScanBesideTest = ScannerTest;

TEST_F(ScanBesideTest, FilesLaterGivesTheRowsAndTheFilesTextsAndWritesNothing)
{
    Load({Find("GC1", false), Find("GC2", true), Find("GC2", true)});
    AppState results;
    results.TempDir = state.TempDir;
    ASSERT_EQ(ScanQuery(results, ScanSource{state.QueryLines, state.PolyTable, nullptr, true}).Rows, 3);
    EXPECT_EQ(results.NotInPolygonCount, 2);
    EXPECT_EQ(results.PlacemarkFiles, (std::vector<std::string>{"GC2.kml", "GC2~2.kml"}));
    ASSERT_EQ(results.PlacemarkTexts.size(), 2u);
    EXPECT_NE(results.PlacemarkTexts[0].find("<name>GC2 - Burgblick</name>"), std::string::npos);
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_TRUE(state.Rows.empty());  // the state the lines came from is left alone
}

TEST_F(ScanBesideTest, AStoppedScanThrowsCancelled)
{
    Load(Finds(20, 7));
    CancelToken stop;
    stop.Cancel();
    AppState results;
    EXPECT_THROW(ScanWaypoints(results, ScanSource{state.QueryLines, state.PolyTable, &stop, true}), Cancelled);
    // A query read in two halves stops the same way.
    Load(Finds(2'000, 7));
    ASSERT_GE(state.QueryLines.Size(), LinesReadByTwoThreads);
    EXPECT_THROW(ScanQuery(results, ScanSource{state.QueryLines, state.PolyTable, &stop, true}), Cancelled);
    // Not asked to stop: the whole scan.
    CancelToken go;
    EXPECT_EQ(ScanQuery(results, ScanSource{state.QueryLines, state.PolyTable, &go, true}).Rows, 2'000);
}

TEST_F(ScanBesideTest, AStoppedExtractionThrowsCancelledAndAGoodOneReads)
{
    const std::string query = testquery::JoinLines(MyFindsLines(Finds(50, 7)));
    const std::string path = (folder / "q.zip").string();
    std::ofstream(path, std::ios::binary) << test::ZipBuilder().Add("q.gpx", query).Build();
    NoExtractProgress progress;
    CancelToken stop;
    stop.Cancel();
    EXPECT_THROW(OpenQuery(path, progress, &stop), Cancelled);
    const std::string gpx = (folder / "q.gpx").string();
    std::ofstream(gpx, std::ios::binary) << query;
    EXPECT_THROW(OpenQuery(gpx, progress, &stop), Cancelled);
    CancelToken go;
    EXPECT_EQ(OpenQuery(path, progress, &go).Size(), OpenQuery(gpx, progress, &go).Size());
}

class PlacemarkFilesBesideTest : public ScannerTest {
protected:
    // Names and texts of `count` files.
    void Make(int count)
    {
        names.clear();
        texts.clear();
        for (int i = 0; i < count; ++i) {
            names.push_back("GC" + std::to_string(i) + ".kml");
            texts.push_back("text " + std::to_string(i));
        }
    }
    std::vector<std::string> names, texts;
};

TEST_F(PlacemarkFilesBesideTest, WritesEveryFileAndDeletesThePreviousScansOthers)
{
    std::ofstream(folder / "OLD.kml") << "old";
    std::ofstream(folder / "GC1.kml") << "old";  // named again: written over
    Make(3);
    PlacemarkFilesBeside files(state.TempDir, {"OLD.kml", "GC1.kml"}, names, texts);
    files.Wait();
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"GC0.kml", "GC1.kml", "GC2.kml"}));
    EXPECT_EQ(Read(folder / "GC1.kml"), "text 1");
}

TEST_F(PlacemarkFilesBesideTest, ALinkFollowedBeforeItsFileIsWrittenFindsItWritten)
{
    Make(300);
    PlacemarkFilesBeside files(state.TempDir, {}, names, texts);
    // The last file, long before the writer gets to it.
    ASSERT_TRUE(files.EnsureWritten("GC299.kml"));
    EXPECT_EQ(Read(folder / "GC299.kml"), "text 299");
    EXPECT_FALSE(files.EnsureWritten("GC9999.kml"));  // none of these files
    files.Wait();
    // A file that went meanwhile is written again.
    std::filesystem::remove(folder / "GC5.kml");
    ASSERT_TRUE(files.EnsureWritten("GC5.kml"));
    EXPECT_EQ(Read(folder / "GC5.kml"), "text 5");
}

TEST_F(PlacemarkFilesBesideTest, AStopLeavesOnlyWholeFiles)
{
    Make(300);
    {
        PlacemarkFilesBeside files(state.TempDir, {}, names, texts);
        files.Stop();
    }
    for (const std::string& name : FilesIn(folder)) {
        ASSERT_EQ(name.substr(name.size() - 4), ".kml") << name;  // no file under its temporary name
        const std::string number = name.substr(2, name.size() - 6);
        EXPECT_EQ(Read(folder / name), "text " + number);
    }
}

TEST_F(PlacemarkFilesBesideTest, AFailedWriteIsReportedAndNothingAfterItIsWritten)
{
    Make(4);
    std::filesystem::create_directory(folder / "GC1.kml");  // cannot be a file
    std::exception_ptr reported;
    PlacemarkFilesBeside files(state.TempDir, {}, names, texts,
                               [&](std::exception_ptr failure) { reported = failure; });
    EXPECT_EQ(test::ErrorOf([&] { files.Wait(); }).rfind("Datei \"" + state.TempDir + "GC1.kml\"", 0), 0u);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(std::filesystem::exists(folder / "GC0.kml"));
    EXPECT_FALSE(std::filesystem::exists(folder / "GC2.kml"));
    EXPECT_FALSE(std::filesystem::exists(folder / "GC1.kml.part"));
}

}  // namespace
}  // namespace ql::scantest

// The placemark folder of one instance: its own name and permissions, removed
// with its contents, stale folders of ended instances removed, nothing else
// touched (a look-alike of the user's, a folder whose lock another process
// holds); made anew when removed while the program runs; and two instances
// scanning at once in one temporary folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "scan/placemark_folder.h"
#include "scan/scanner.h"
#include "state/app_state.h"
#include "platform/platform.h"
#include "support/my_finds_query.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

class PlacemarkFolderTest : public ::testing::Test {
protected:
    fs::path temp;
    std::string tempDir;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        temp = fs::temp_directory_path() /
               ("ql_folder_" + std::string(info->name()) + "_" + std::to_string(platform::CurrentProcessId()));
        fs::remove_all(temp);
        fs::create_directories(temp);
        tempDir = temp.string() + platform::PathSeparator;
    }
    void TearDown() override { fs::remove_all(temp); }
};

TEST(PlacemarkFolderName, CarriesTheProcessId)
{
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-4711-ab12cd34"), 4711u);
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-4711"), std::nullopt);  // no suffix
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn--x"), std::nullopt);
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-47a-x"), std::nullopt);
    EXPECT_EQ(PlacemarkFolderProcess("GCA2.kml"), std::nullopt);
    // Only the exact form: eight letters a-z or digits after the number.
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-2024-urlaubsfotos"), std::nullopt);
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-4711-ab12cd3"), std::nullopt);
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-4711-AB12CD34"), std::nullopt);
    EXPECT_EQ(PlacemarkFolderProcess("quenlorn-4711-ab12cd3."), std::nullopt);
}

// A folder as an instance that ended without cleaning up leaves it: the
// marker is there, its lock free.
void MakeLeftOver(const fs::path& folder, std::string_view marker = PlacemarkMarkerText)
{
    fs::create_directory(folder);
    platform::WriteWholeFile((folder / PlacemarkMarkerName).string(), marker);
    platform::WriteWholeFile((folder / "GC1.kml").string(), "x");
}

TEST_F(PlacemarkFolderTest, OwnFolderIsPrivateUniqueAndRemovedWithItsContents)
{
    std::string kept;
    {
        const PlacemarkFolder first(tempDir), second(tempDir);
        EXPECT_NE(first.Path(), second.Path());
        EXPECT_EQ(first.Path().rfind(tempDir + "quenlorn-" + std::to_string(platform::CurrentProcessId()) + "-", 0),
                  0u);
        EXPECT_EQ(first.Path().back(), platform::PathSeparator);
        ASSERT_TRUE(fs::is_directory(first.Path()));
#ifndef _WIN32
        struct stat st {};
        ASSERT_EQ(::stat(first.Path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
#endif
        platform::WriteWholeFile(first.Path() + "GC1.kml", "x");
        fs::create_directory(first.Path() + "inner");
        platform::WriteWholeFile(first.Path() + "inner/GC2.kml", "x");
        kept = first.Path();
    }
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_TRUE(fs::is_empty(temp));
}

TEST_F(PlacemarkFolderTest, OnlyLeftOverFoldersOfThisProgramGo)
{
    MakeLeftOver(temp / "quenlorn-4711-ab12cd34");
    // The user's own folders, whatever they hold.
    const fs::path photos = temp / "quenlorn-2024-urlaubsfotos";
    fs::create_directory(photos);
    platform::WriteWholeFile((photos / "IMG_0001.jpg").string(), "a photo");
    MakeLeftOver(temp / "quenlorn-2024-urlaubsfotos-kopie");  // the marker, but not the name
    fs::create_directory(temp / "quenlorn-4712-ab12cd34");  // the name, but no marker
    platform::WriteWholeFile((temp / "quenlorn-4712-ab12cd34" / "GC1.kml").string(), "x");
    MakeLeftOver(temp / "quenlorn-4713-ab12cd34", "something else\n");  // another text in it
    platform::WriteWholeFile((temp / "GCA2.kml").string(), "the user's own");
    platform::WriteWholeFile((temp / "quenlorn-4714-ab12cd34").string(), "a file, not a folder");
#ifndef _WIN32
    // A marker that is a link: what it names decides nothing.
    fs::create_directory(temp / "quenlorn-4715-ab12cd34");
    platform::WriteWholeFile((temp / "marker").string(), std::string(PlacemarkMarkerText));
    fs::create_symlink(temp / "marker", temp / "quenlorn-4715-ab12cd34" / PlacemarkMarkerName);
    // A link named like a left-over folder: neither it nor what it names goes.
    fs::create_directory(temp / "target");
    platform::WriteWholeFile((temp / "target" / "keep.txt").string(), "x");
    platform::WriteWholeFile((temp / "target" / PlacemarkMarkerName).string(), std::string(PlacemarkMarkerText));
    fs::create_directory_symlink(temp / "target", temp / "quenlorn-4716-ab12cd34");
#endif
    {
        const PlacemarkFolder folder(tempDir);
        EXPECT_FALSE(fs::exists(temp / "quenlorn-4711-ab12cd34"));
    }
    EXPECT_TRUE(fs::exists(photos / "IMG_0001.jpg"));
    EXPECT_TRUE(fs::exists(temp / "quenlorn-2024-urlaubsfotos-kopie" / "GC1.kml"));
    EXPECT_TRUE(fs::exists(temp / "quenlorn-4712-ab12cd34" / "GC1.kml"));
    EXPECT_TRUE(fs::exists(temp / "quenlorn-4713-ab12cd34" / "GC1.kml"));
    EXPECT_TRUE(fs::exists(temp / "GCA2.kml"));
    EXPECT_TRUE(fs::is_regular_file(temp / "quenlorn-4714-ab12cd34"));
#ifndef _WIN32
    EXPECT_TRUE(fs::exists(temp / "quenlorn-4715-ab12cd34"));
    EXPECT_TRUE(fs::is_symlink(temp / "quenlorn-4716-ab12cd34"));
    EXPECT_TRUE(fs::exists(temp / "target" / "keep.txt"));
#endif
}

TEST_F(PlacemarkFolderTest, RemovedWhileRunningItIsMadeAnewByTheNextScan)
{
    std::vector<testquery::Cache> caches(3);
    for (std::size_t i = 0; i < caches.size(); ++i) caches[i].code = "GC" + std::to_string(100 + i);
    PlacemarkFolder folder(tempDir);
    AppState state;
    state.TempDir = folder.Path();
    state.RestoreTempDir = [&folder] { return folder.Restore(); };
    state.QueryLines = QueryText::FromBytes(testquery::MyFindsQuery(testquery::DefaultQueryTime, caches));
    // One district far away: every find is outside and gets its file.
    state.PolyTable.SetPolygon(0, {{0.0, 0.0}, {0.0, 0.001}, {0.001, 0.001}, {0.0, 0.0}});
    ASSERT_EQ(ScanWaypoints(state), 3);

    // A cleaner of the temporary folder (on Windows the open marker keeps
    // the folder, and only the placemark files go).
    std::error_code ignored;
    fs::remove_all(folder.Path(), ignored);
    ASSERT_EQ(ScanWaypoints(state), 3);
    ASSERT_EQ(state.PlacemarkFiles.size(), 3u);
    for (const std::string& name : state.PlacemarkFiles) EXPECT_TRUE(fs::exists(state.TempDir + name)) << name;
    // Made anew as this instance's: a starting instance leaves it alone.
    const PlacemarkFolder other(tempDir);
    EXPECT_TRUE(fs::exists(state.TempDir + state.PlacemarkFiles[0]));
}

#ifndef _WIN32
// The helper that holds a placemark folder in a process of its own until told
// to end; it makes the folder in `tmp`.
class HeldFolder {
public:
    HeldFolder(const fs::path& tmp, const fs::path& markers) : markers_(markers)
    {
        const std::string helper = QL_PLACEMARK_INSTANCE;
        child_ = ::fork();
        if (child_ == 0) {
            ::setenv("TMPDIR", tmp.c_str(), 1);
            ::execl(helper.c_str(), helper.c_str(), "--hold", markers.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    // The folder's path, once the helper has made it; empty when it ended first.
    std::string AwaitFolder()
    {
        for (;;) {
            if (fs::exists(markers_ / "held")) return fs::path(ReadText(markers_ / "held")).parent_path().string();
            int status = 0;
            if (::waitpid(child_, &status, WNOHANG) == child_) {
                child_ = -1;
                return {};
            }
            ::sched_yield();
        }
    }
    // Tells the helper to end and waits for it; its exit code.
    int End()
    {
        platform::WriteWholeFile((markers_ / "release").string(), "x");
        int status = 0;
        if (child_ > 0) ::waitpid(child_, &status, 0);
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~HeldFolder()
    {
        if (child_ > 0) End();
    }

private:
    static std::string ReadText(const fs::path& path) { return platform::ReadWholeFile(path.string()); }
    fs::path markers_;
    pid_t child_ = -1;
};

TEST_F(PlacemarkFolderTest, AFolderWhoseLockAnotherProcessHoldsStays)
{
    fs::create_directory(temp / "markers");
    HeldFolder holder(temp, temp / "markers");
    const std::string held = holder.AwaitFolder();
    ASSERT_FALSE(held.empty());
    // As an instance in another process id namespace looks from here: its
    // number names no process of this system.
    const fs::path elsewhere = temp / "quenlorn-999999999-ab12cd34";
    fs::rename(held, elsewhere);
    platform::WriteWholeFile((elsewhere / "GC1.kml").string(), "x");
    {
        const PlacemarkFolder mine(tempDir);
        EXPECT_TRUE(fs::exists(elsewhere / "GC1.kml"));
    }
    EXPECT_EQ(holder.End(), 0);
    // Its holder ended without removing it: now it is left over and goes.
    const PlacemarkFolder later(tempDir);
    EXPECT_FALSE(fs::exists(elsewhere));
}

TEST_F(PlacemarkFolderTest, TwoInstancesScanningAtOnceKeepEachOthersFiles)
{
    // The same finds in both, all outside every district: the same file names.
    std::vector<testquery::Cache> caches;
    for (int i = 0; i < 200; ++i) {
        testquery::Cache c;
        c.code = "GC" + std::to_string(1000 + i);
        caches.push_back(c);
    }
    const std::string query = (temp / "query.gpx").string();
    platform::WriteWholeFile(query, testquery::MyFindsQuery(testquery::DefaultQueryTime, caches));
    fs::create_directory(temp / "markers");
    fs::create_directory(temp / "tmp");
    platform::WriteWholeFile((temp / "tmp" / "GC1000.kml").string(), "the user's own");

    const std::string helper = QL_PLACEMARK_INSTANCE;
    const std::string markers = (temp / "markers").string();
    const std::string command = "TMPDIR='" + (temp / "tmp").string() + "'; export TMPDIR; '" + helper + "' '" + query +
                                "' '" + markers + "' a b --leave-first & a=$!; '" + helper + "' '" + query + "' '" +
                                markers + "' b a & b=$!; wait $a; ra=$?; wait $b; rb=$?; exit $((ra * 8 + rb))";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "instance a: " << WEXITSTATUS(status) / 8
                                      << ", b: " << WEXITSTATUS(status) % 8;
    // Both folders gone at their end; the user's own file stays.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temp / "tmp")) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"GC1000.kml"});
}
#endif

}  // namespace
}  // namespace ql

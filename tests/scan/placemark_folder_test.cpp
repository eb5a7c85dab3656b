// The placemark folder of one instance: its own name and permissions, removed
// with its contents, stale folders of ended instances removed, nothing else
// touched; and two instances scanning at once in one temporary folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "scan/placemark_folder.h"
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

#ifndef _WIN32
// The id of a process that has ended.
std::uint64_t EndedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<std::uint64_t>(child);
}

TEST_F(PlacemarkFolderTest, StaleFoldersOfEndedInstancesGoAndNothingElse)
{
    const std::string dead = std::to_string(EndedProcess());
    const std::string running = std::to_string(static_cast<long>(::getppid()));
    fs::create_directory(temp / ("quenlorn-" + dead + "-old"));
    platform::WriteWholeFile((temp / ("quenlorn-" + dead + "-old") / "GC1.kml").string(), "x");
    fs::create_directory(temp / ("quenlorn-" + running + "-live"));
    platform::WriteWholeFile((temp / ("quenlorn-" + running + "-live") / "GC1.kml").string(), "x");
    platform::WriteWholeFile((temp / "GCA2.kml").string(), "the user's own");
    platform::WriteWholeFile((temp / ("quenlorn-" + dead + "-file")).string(), "a file, not a folder");
    // A link named like a stale folder: removed as a link, what it names stays.
    fs::create_directory(temp / "target");
    platform::WriteWholeFile((temp / "target" / "keep.txt").string(), "x");
    fs::create_directory_symlink(temp / "target", temp / ("quenlorn-" + dead + "-link"));
    {
        const PlacemarkFolder folder(tempDir);
        EXPECT_FALSE(fs::exists(temp / ("quenlorn-" + dead + "-old")));
    }
    EXPECT_TRUE(fs::exists(temp / ("quenlorn-" + running + "-live") / "GC1.kml"));
    EXPECT_TRUE(fs::exists(temp / "GCA2.kml"));
    EXPECT_TRUE(fs::exists(temp / ("quenlorn-" + dead + "-file")));
    EXPECT_TRUE(fs::exists(temp / "target" / "keep.txt"));
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

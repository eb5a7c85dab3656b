#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/platform.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// An installation tree in a fresh folder: the given folders, below `root`.
class ProgramDataDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("ql-data-dir-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void Make(std::initializer_list<const char*> folders)
    {
        for (const char* f : folders) fs::create_directories(root_ / f);
    }
    std::string Dir(const char* folder) const { return (root_ / folder).string() + "/"; }

    fs::path root_;
};

TEST_F(ProgramDataDirTest, InstalledUnderShareBuildFolderAndPortableCopyBesideTheProgram)
{
    // Installed: bin/quenlorn with its data in share/quenlorn.
    Make({"usr/bin", "usr/share/quenlorn/rlp_polygons"});
    EXPECT_EQ(platform::ProgramDataDir(Dir("usr/bin")), Dir("usr/share/quenlorn"));
    // A build folder called bin that holds the polygons: its own data wins.
    Make({"build/bin/rlp_polygons", "build/share/quenlorn"});
    EXPECT_EQ(platform::ProgramDataDir(Dir("build/bin")), Dir("build/bin"));
    // Nothing installed beside the bin folder: the executable's folder, as before.
    Make({"opt/bin"});
    EXPECT_EQ(platform::ProgramDataDir(Dir("opt/bin")), Dir("opt/bin"));
    // Only a bin folder leads to share: a program elsewhere keeps its own folder.
    Make({"home/tools", "home/share/quenlorn"});
    EXPECT_EQ(platform::ProgramDataDir(Dir("home/tools")), Dir("home/tools"));
}
#endif

}  // namespace
}  // namespace ql

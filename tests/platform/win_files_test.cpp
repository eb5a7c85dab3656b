// Files, folders, stored names and error texts on Windows, on real files.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "districts/polygon_files.h"
#include "platform/platform.h"
#include "support/win_support.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

class WinFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("ql_win_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::error_code ec;
        fs::remove_all(root_, ec);  // a long path left by a broken run is not reached; the test copes
        fs::create_directories(root_ / "Lange Ordnernamen" / u8"Übersicht der Kreise");
        platform::WriteWholeFile(test::Utf8(root_ / "Lange Ordnernamen" / u8"Übersicht der Kreise" / "Polygone.txt"),
                                 "x");
        // The long form of the folder, as the system gives it (the temporary
        // folder itself may be named in its short form).
        root_ = fs::path(test::LongPathOf(root_));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_;
};

TEST_F(WinFiles, StoredNameIsTheLongFormAsTheFileSystemKeepsIt)
{
    const fs::path file = root_ / "Lange Ordnernamen" / u8"Übersicht der Kreise" / "Polygone.txt";
    const std::wstring shortFile = test::ShortPathOf(file);
    if (shortFile == file.wstring()) GTEST_SKIP() << "this volume keeps no 8.3 names";
    const fs::path shortPath(shortFile);
    EXPECT_EQ(platform::FindStoredName(test::Utf8(shortPath.parent_path())), "Übersicht der Kreise");
    EXPECT_EQ(platform::FindStoredName(test::Utf8(shortPath.parent_path().parent_path())), "Lange Ordnernamen");
    // Names are found without regard to case and answered as stored.
    EXPECT_EQ(platform::FindStoredName(test::Utf8(root_ / "LANGE ORDNERNAMEN")), "Lange Ordnernamen");
    EXPECT_EQ(platform::FindStoredName(test::Utf8(root_ / "Fehlt")), std::nullopt);
    EXPECT_EQ(platform::FindStoredName(test::Utf8(root_) + "\\"), std::nullopt);
    EXPECT_EQ(platform::FindStoredName(test::Utf8(root_ / "Lange*")), std::nullopt);  // no wildcard search
}

TEST_F(WinFiles, ShortPathExpandsToTheLongPath)
{
    const fs::path folder = root_ / "Lange Ordnernamen" / u8"Übersicht der Kreise";
    const std::wstring shortFolder = test::ShortPathOf(folder);
    if (shortFolder == folder.wstring()) GTEST_SKIP() << "this volume keeps no 8.3 names";
    const std::string shortText = test::Utf8(fs::path(shortFolder));
    EXPECT_EQ(ExpandLongPath(shortText, platform::FindStoredName), test::Utf8(folder));
    EXPECT_EQ(ExpandLongPath(shortText + "\\", platform::FindStoredName), test::Utf8(folder));
    // A component that is not there is left out.
    EXPECT_EQ(ExpandLongPath(shortText + "\\Fehlt\\Polygone.txt", platform::FindStoredName), test::Utf8(folder));
}

TEST_F(WinFiles, FoldersEndWithABackslashAndErrorsReadAsTheSystemWritesThem)
{
    const std::string temp = platform::GetTempDir();
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(platform::DirectoryExists(temp));
    const std::string dir = platform::ExecutableDir();
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_EQ(platform::ExecutablePath().rfind(dir, 0), 0u);
    EXPECT_TRUE(platform::FileExists(platform::ExecutablePath()));

    const std::string notFound = platform::ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(notFound, test::SystemMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(notFound.empty());
    EXPECT_NE(notFound.back(), '\n');
}

TEST_F(WinFiles, WriteReplacesTheWholeFileAndReadGivesItBack)
{
    const std::string path = test::Utf8(root_ / u8"Größe.txt");
    platform::WriteWholeFile(path, std::string(100000, 'a'));
    platform::WriteWholeFile(path, "kurz\r\n");
    EXPECT_EQ(platform::ReadWholeFile(path), "kurz\r\n");
    EXPECT_EQ(fs::file_size(test::PathOf(path)), 6u);
    EXPECT_TRUE(platform::FileExists(path));
    EXPECT_FALSE(platform::DirectoryExists(path));
    platform::DeleteFileQuietly(path);
    EXPECT_FALSE(platform::FileExists(path));
    platform::DeleteFileQuietly(path);  // gone already: nothing happens
}

// A query kept deep in the user's folders: a path of more than MAX_PATH (260)
// characters is written, found and read by every file call.
TEST_F(WinFiles, PathsLongerThanMaxPathAreWrittenFoundAndRead)
{
    std::wstring deep = L"\\\\?\\" + root_.wstring();
    for (int i = 0; i < 5; ++i) {
        deep += L"\\Geocaching Auswertungen des Jahres mit allen Funden " + std::to_wstring(i);
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) << i;
    }
    const std::string folder = test::Utf8(fs::path(deep.substr(4)));
    const std::string file = folder +
                             "\\Pr\xC3\xBC"
                             "fung.gpx";
    ASSERT_GT(file.size(), 260u);
    platform::WriteWholeFile(file, "Inhalt");
    EXPECT_TRUE(platform::FileExists(file));
    EXPECT_TRUE(platform::DirectoryExists(folder));
    EXPECT_EQ(platform::ReadWholeFile(file), "Inhalt");
    EXPECT_EQ(std::string(platform::ReadWholeFileLarge(file).View()), "Inhalt");
    auto opened = platform::OpenReadOnly(file);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Size(), 6u);
    opened.reset();  // an open file cannot be deleted
    // The same path with forward slashes and a ".." step.
    std::string other = folder +
                        "\\..\\Geocaching Auswertungen des Jahres mit allen Funden 4\\Pr\xC3\xBC"
                        "fung.gpx";
    for (char& c : other)
        if (c == '\\') c = '/';
    EXPECT_EQ(platform::ReadWholeFile(other), "Inhalt");
    platform::DeleteFileQuietly(file);
    EXPECT_FALSE(platform::FileExists(file));
    // The folders go too (the clean-up of the fixture cannot reach them).
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(::RemoveDirectoryW(deep.c_str())) << i;
        deep.erase(deep.rfind(L'\\'));
    }
}

}  // namespace
}  // namespace ql

#endif  // _WIN32

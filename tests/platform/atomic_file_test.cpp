// Files written for the user: all the new bytes, or the old file byte for
// byte and a message naming it; never a file of the user's touched on the way.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "support/error_of.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void PutBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::string CannotCreate(const fs::path& path)
{
    return "Datei \"" + path.string() + "\" kann nicht erstellt werden. ";
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("ql_atomic_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::error_code ec;
        fs::remove_all(folder_, ec);
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
#ifndef _WIN32
        if (mounted_) ::umount2(folder_.string().c_str(), MNT_DETACH);
        ::chmod(folder_.string().c_str(), 0700);
#endif
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

#ifndef _WIN32
    // A file system of its own in the folder, `size` bytes large; false where
    // this process may not mount one.
    bool MountSmallFileSystem(const char* options)
    {
        if (::mount("tmpfs", folder_.string().c_str(), "tmpfs", 0, options) != 0) {
            reason_ = std::string("no tmpfs can be mounted here: ") + std::strerror(errno);
            return false;
        }
        mounted_ = true;
        return true;
    }
    std::string reason_;
    bool mounted_ = false;
#endif

    fs::path folder_;
};

TEST_F(AtomicFile, WritesANewFileAndReplacesAnOldOneLeavingNothingBeside)
{
    const fs::path target = folder_ / "Nachweisliste.txt";
    platform::WriteFileAtomically(target.string(), "erste Fassung\n");
    EXPECT_EQ(ReadBytes(target), "erste Fassung\n");
    platform::WriteFileAtomically(target.string(), "zweite\n");
    EXPECT_EQ(ReadBytes(target), "zweite\n");
    platform::WriteFileAtomically(target.string(), "");
    EXPECT_EQ(ReadBytes(target), "");
    EXPECT_EQ(Names(folder_), std::set<std::string>{"Nachweisliste.txt"});
}

// The names a fixed temporary name would take: they are files of the user.
TEST_F(AtomicFile, FilesOfTheUserBesideTheTargetStayUntouched)
{
    const fs::path target = folder_ / "tour.gpx";
    PutBytes(target, "alt");
    PutBytes(folder_ / "tour.gpx.part", "eigene Datei");
    PutBytes(folder_ / "tour.gpx.tmp", "noch eine");
    platform::WriteFileAtomically(target.string(), "<gpx/>");
    EXPECT_EQ(ReadBytes(target), "<gpx/>");
    EXPECT_EQ(ReadBytes(folder_ / "tour.gpx.part"), "eigene Datei");
    EXPECT_EQ(ReadBytes(folder_ / "tour.gpx.tmp"), "noch eine");
    EXPECT_EQ(Names(folder_), (std::set<std::string>{"tour.gpx", "tour.gpx.part", "tour.gpx.tmp"}));
}

TEST_F(AtomicFile, TwoWritersAtOnceEachGetATemporaryFileOfTheirOwn)
{
    const fs::path target = folder_ / "karte.png";
    platform::AtomicFileWriter first(target.string()), second(target.string());
    first.Write("eins");
    second.Write("zwei");
    EXPECT_EQ(Names(folder_).size(), 2u);
    first.Commit();
    EXPECT_EQ(ReadBytes(target), "eins");
    second.Commit();
    EXPECT_EQ(ReadBytes(target), "zwei");
    EXPECT_EQ(Names(folder_), std::set<std::string>{"karte.png"});
}

TEST_F(AtomicFile, AWriterLeftWithoutCommitLeavesTheOldFile)
{
    const fs::path target = folder_ / "liste.csv";
    PutBytes(target, "alt");
    {
        platform::AtomicFileWriter writer(target.string());
        writer.Write("halb geschrieben");
    }
    EXPECT_EQ(ReadBytes(target), "alt");
    EXPECT_EQ(Names(folder_), std::set<std::string>{"liste.csv"});
}

TEST_F(AtomicFile, AMissingFolderOrAFolderAtThePathIsReportedByTheUsersName)
{
    const fs::path nowhere = folder_ / "fehlt" / "liste.txt";
    EXPECT_EQ(
        test::ErrorOf([&] { platform::WriteFileAtomically(nowhere.string(), "x"); }).rfind(CannotCreate(nowhere), 0),
        0u);
    const fs::path folder = folder_ / "ordner.txt";
    fs::create_directory(folder);
    EXPECT_EQ(test::ErrorOf([&] { platform::WriteFileAtomically(folder.string(), "x"); }),
              CannotCreate(folder) +
                  "Das ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät, eine Pipe oder ein Socket.");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(Names(folder_), std::set<std::string>{"ordner.txt"});
}

// A read-only file is not replaced behind the user's back, as an open for
// writing would not write it either.
TEST_F(AtomicFile, AReadOnlyFileStaysAsItIs)
{
    const fs::path target = folder_ / "schreibgeschuetzt.txt";
    PutBytes(target, "alt");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifndef _WIN32
    if (::access(target.string().c_str(), W_OK) == 0) GTEST_SKIP() << "the administrator may write any file";
#endif
    const std::string message = test::ErrorOf([&] { platform::WriteFileAtomically(target.string(), "neu"); });
    EXPECT_EQ(message.rfind(CannotCreate(target), 0), 0u) << message;
    fs::permissions(target, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), "alt");
    EXPECT_EQ(Names(folder_), std::set<std::string>{"schreibgeschuetzt.txt"});
}

#ifndef _WIN32

TEST_F(AtomicFile, ThroughASymbolicLinkTheFileItPointsToIsReplacedAndTheLinkStays)
{
    fs::create_directory(folder_ / "daten");
    const fs::path real = folder_ / "daten" / "liste.txt";
    PutBytes(real, "alt");
    const fs::path link = folder_ / "liste.txt";
    fs::create_symlink("daten/liste.txt", link);
    const fs::path chain = folder_ / "kette.txt";
    fs::create_symlink("liste.txt", chain);  // a link to the link

    platform::WriteFileAtomically(chain.string(), "neu");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(chain));
    EXPECT_EQ(ReadBytes(real), "neu");
    EXPECT_EQ(Names(folder_ / "daten"), std::set<std::string>{"liste.txt"});

    // A link to a file not there yet: the file is made where it points.
    const fs::path dangling = folder_ / "neu.txt";
    fs::create_symlink("daten/spaeter.txt", dangling);
    platform::WriteFileAtomically(dangling.string(), "erst jetzt");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(folder_ / "daten" / "spaeter.txt"), "erst jetzt");
}

TEST_F(AtomicFile, TheOldFilesPermissionsAreKept)
{
    for (const mode_t mode : {0600, 0640, 0664, 0755}) {
        SCOPED_TRACE(mode);
        const fs::path target = folder_ / "liste.txt";
        PutBytes(target, "alt");
        ASSERT_EQ(::chmod(target.string().c_str(), mode), 0);
        platform::WriteFileAtomically(target.string(), "neu");
        struct stat st {};
        ASSERT_EQ(::stat(target.string().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(target), "neu");
    }
    // A new file gets what the user's mask leaves of 0666, as any new file.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const fs::path fresh = folder_ / "neu.txt";
    platform::WriteFileAtomically(fresh.string(), "neu");
    struct stat st {};
    ASSERT_EQ(::stat(fresh.string().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
}

TEST_F(AtomicFile, AReadOnlyFolderKeepsTheOldBytes)
{
    const fs::path target = folder_ / "Nachweisliste.txt";
    if (::geteuid() == 0) {
        // The administrator writes through permissions: a file system mounted read-only instead.
        if (!MountSmallFileSystem("size=64k")) GTEST_SKIP() << reason_;
        PutBytes(target, "alte Liste");
        ASSERT_EQ(::mount("tmpfs", folder_.string().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0)
            << std::strerror(errno);
    } else {
        PutBytes(target, "alte Liste");
        ASSERT_EQ(::chmod(folder_.string().c_str(), 0555), 0);
    }
    const std::string message = test::ErrorOf([&] { platform::WriteFileAtomically(target.string(), "neue Liste"); });
    EXPECT_EQ(message.rfind(CannotCreate(target), 0), 0u) << message;
    EXPECT_GT(message.size(), CannotCreate(target).size());  // the system's reason follows
    EXPECT_EQ(ReadBytes(target), "alte Liste");
    EXPECT_EQ(Names(folder_), std::set<std::string>{"Nachweisliste.txt"});
}

// The case that once cut the user's list to 4,096 bytes without a word.
TEST_F(AtomicFile, AFullFileSystemKeepsTheOldBytesAndSaysSo)
{
    if (!MountSmallFileSystem("size=64k")) GTEST_SKIP() << reason_;
    const fs::path target = folder_ / "Nachweisliste.txt";
    const std::string old(20000, 'a');
    PutBytes(target, old);
    // Fill what is left.
    {
        std::ofstream filler(folder_ / "voll", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 64 && filler; ++i) filler.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    for (const std::size_t size : {std::size_t{5000}, std::size_t{30000}}) {
        SCOPED_TRACE(size);
        const std::string message =
            test::ErrorOf([&] { platform::WriteFileAtomically(target.string(), std::string(size, 'n')); });
        EXPECT_EQ(message, CannotCreate(target) + std::strerror(ENOSPC));
        EXPECT_EQ(ReadBytes(target), old);
        EXPECT_EQ(Names(folder_), (std::set<std::string>{"Nachweisliste.txt", "voll"}));
    }
    // With room again the same write goes through.
    fs::remove(folder_ / "voll");
    platform::WriteFileAtomically(target.string(), std::string(30000, 'n'));
    EXPECT_EQ(ReadBytes(target), std::string(30000, 'n'));
}

#endif

}  // namespace
}  // namespace ql

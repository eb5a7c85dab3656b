// Only regular files are read: a device, FIFO, folder or socket gives the open
// error at once (a FIFO without a writer would otherwise wait for ever), and
// the temporary folder's faults name the folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "archive/extract.h"
#include "base/user_error.h"
#include "districts/polygon_files.h"
#include "query/query_pipeline.h"
#include "platform/platform.h"
#include "support/error_of.h"

namespace ql {
namespace {

using test::ErrorOf;

TEST(Messages, ControlCharactersNeverReachTheUser)
{
    // A UTF-16 polygon file without its byte-order mark reads as ANSI text with NULs.
    const std::string utf16(
        "h\0\r\0\n\0"
        "4\0"
        "9\0,\0"
        "7\0",
        14);
    EXPECT_EQ(ErrorOf([&] { (void)ParsePolygonText(utf16, "x.txt"); }),
              "'\\04\\09\\0' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(UserError(std::string("a\x01" "b\x1B[31m\x7F\tc\r\nd\re", 16)).what(),
              std::string("a?b?[31m?\tc\nd?e"));
}

#ifndef _WIN32

namespace fs = std::filesystem;

class SpecialFiles : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ql_special_" + std::to_string(static_cast<long>(::getpid())));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string Refusal(const std::string& path)
    {
        return "Datei " + path +
               " kann nicht geöffnet werden. Das ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät, eine "
               "Pipe oder ein Socket.";
    }
};

TEST_F(SpecialFiles, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const std::string gpx = (dir / "x.gpx").string(), zip = (dir / "x.zip").string();
    ASSERT_EQ(::mkfifo(gpx.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(zip.c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(gpx); }), Refusal(gpx));
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(zip); }), Refusal(zip));
    EXPECT_EQ(ErrorOf([&] { platform::RequireRegularFile(gpx); }), Refusal(gpx));
}

TEST_F(SpecialFiles, DevicesFoldersSocketsAndLinksToThemAreRefused)
{
    EXPECT_EQ(ErrorOf([] { (void)OpenQuery("/dev/zero"); }), Refusal("/dev/zero"));
    const std::string link = (dir / "Landkreis.txt").string();
    fs::create_symlink("/dev/zero", link);
    EXPECT_EQ(ErrorOf([&] { (void)LoadPolygonFile(link); }), Refusal(link));
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(dir.string()); }), Refusal(dir.string()));

    const std::string socketPath = (dir / "s.gpx").string();
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(ErrorOf([&] { (void)OpenQuery(socketPath); }), Refusal(socketPath));
    ::close(s);

    // A regular file behind a link is read.
    std::ofstream(dir / "q.gpx") << "a\nb";
    fs::create_symlink(dir / "q.gpx", dir / "link.gpx");
    EXPECT_EQ(OpenQuery((dir / "link.gpx").string()).Size(), 2u);
}

TEST_F(SpecialFiles, TheTemporaryFolderFaultsNameTheFolder)
{
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    const std::string missing = (dir / "fehlt").string();
    ::setenv("TMPDIR", missing.c_str(), 1);
    EXPECT_EQ(ErrorOf([] { (void)platform::GetTempDir(); }),
              "Der temporäre Ordner \"" + missing + "/\" ist nicht vorhanden.");
    if (::geteuid() != 0) {  // the superuser writes anywhere
        const fs::path locked = dir / "gesperrt";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        ::setenv("TMPDIR", locked.c_str(), 1);
        EXPECT_EQ(ErrorOf([] { (void)platform::GetTempDir(); }),
                  "Der temporäre Ordner \"" + locked.string() + "/\" ist nicht beschreibbar. Permission denied");
        fs::permissions(locked, fs::perms::owner_all);
    }
    if (old) ::setenv("TMPDIR", saved.c_str(), 1);
    else ::unsetenv("TMPDIR");
}

#endif  // _WIN32

}  // namespace
}  // namespace ql

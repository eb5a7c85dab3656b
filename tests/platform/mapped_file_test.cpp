// A query file mapped rather than copied: the same bytes, and a file cut short
// while mapped ends the read with a message instead of the process (Linux), or
// cannot be written while mapped at all (Windows).

#include <gtest/gtest.h>

#include <csignal>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql::platform {
namespace {

namespace fs = std::filesystem;

class MapWholeFileTest : public ::testing::Test {
protected:
    fs::path folder;
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("ql_mapped_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        SetAfterMapHook({});
        fs::remove_all(folder);
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

std::string Pattern(std::size_t n)
{
    std::string text(n, '\0');
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 23);
    return text;
}

TEST_F(MapWholeFileTest, HoldsTheFilesBytesMappedAndTheOpenMessagesOfACopy)
{
    const std::string large = Pattern((std::size_t{3} << 20) + 17);
    const LargeBuffer mapped = MapWholeFile(Write("large.gpx", large));
    EXPECT_TRUE(mapped.IsMappedFile());
    EXPECT_EQ(mapped.View(), large);
    EXPECT_EQ(mapped.ReservedBytes(), large.size());
    EXPECT_NO_THROW(mapped.ThrowIfFileChanged());

    EXPECT_EQ(MapWholeFile(Write("small.gpx", "a\r\nb")).View(), "a\r\nb");
    EXPECT_EQ(MapWholeFile(Write("empty.gpx", "")).View(), "");

    const std::string missing = (folder / "missing.gpx").string();
    try {
        MapWholeFile(missing);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Datei " + missing + " kann nicht geöffnet werden. ", 0), 0u) << e.what();
    }
    EXPECT_THROW(MapWholeFile(folder.string()), UserError);
}

// Moving hands the mapping on; the last owner unmaps it once.
TEST_F(MapWholeFileTest, MovesWithoutCopyingOrUnmappingTwice)
{
    const std::string text = Pattern(std::size_t{2} << 20);
    LargeBuffer first = MapWholeFile(Write("query.gpx", text));
    const char* data = first.Data();
    LargeBuffer second = std::move(first);
    EXPECT_FALSE(first.IsMappedFile());
    EXPECT_EQ(second.Data(), data);
    second = MapWholeFile(Write("other.gpx", "x"));
    EXPECT_EQ(second.View(), "x");
}

// A file that grows after it is mapped is read to the size it had; one
// replaced on disk (a new file under the name, the old one deleted) leaves
// the old file's bytes. Neither changed anything under the mapping.
TEST_F(MapWholeFileTest, AFileThatGrowsOrIsReplacedReadsAsWhenOpened)
{
    const std::string text = Pattern(std::size_t{2} << 20);
    const std::string grows = Write("grows.gpx", text), replaced = Write("query.gpx", text);
    const LargeBuffer grown = MapWholeFile(grows), kept = MapWholeFile(replaced);
    std::ofstream(grows, std::ios::binary | std::ios::app) << "more";
#ifndef _WIN32  // on Windows a mapped file cannot be deleted; see below
    fs::rename(replaced, replaced + ".old");
    Write("query.gpx", "replaced");
    fs::remove(replaced + ".old");
#endif
    for (const LargeBuffer* mapped : {&grown, &kept}) {
        EXPECT_EQ(mapped->View(), text);
        EXPECT_NO_THROW(mapped->ThrowIfFileChanged());
    }
}

#ifndef _WIN32

// Cut short between the mapping and the first read: the vanished part reads
// as zeros, the process lives on, and the buffer says what happened.
TEST_F(MapWholeFileTest, AFileCutShortWhileMappedReadsAsZerosAndIsReported)
{
    const std::string text = Pattern((std::size_t{4} << 20) + 100);
    const std::string path = Write("query.gpx", text);
    std::string hookPath;
    SetAfterMapHook([&](const std::string& p) {
        hookPath = p;
        fs::resize_file(p, 5000);
    });
    const LargeBuffer mapped = MapWholeFile(path);
    EXPECT_EQ(hookPath, path);
    EXPECT_NO_THROW(mapped.ThrowIfFileChanged());  // nothing read past the end yet

    ASSERT_EQ(mapped.Size(), text.size());
    EXPECT_EQ(mapped.View().substr(0, 5000), text.substr(0, 5000));
    // Zeros from the new end on: the rest of its page, then pages put in place.
    EXPECT_EQ(mapped.View().substr(5000), std::string(text.size() - 5000, '\0'));
    try {
        mapped.ThrowIfFileChanged();
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), ("Die Datei \"" + path + "\" wurde beim Lesen verändert.").c_str());
    }
    // Another mapping is not touched by the first one's loss.
    EXPECT_NO_THROW(MapWholeFile(Write("other.gpx", text)).ThrowIfFileChanged());
}

// A SIGBUS that is no access to a mapped file ends the process as before.
TEST(MapWholeFileDeathTest, AForeignBusErrorStillEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string path = (fs::temp_directory_path() / "ql_mapped_death.gpx").string();
            std::ofstream(path, std::ios::binary) << std::string(std::size_t{1} << 20, 'x');
            const LargeBuffer mapped = MapWholeFile(path);  // the handler is in place
            fs::remove(path);
            std::raise(SIGBUS);
        },
        // Killed by the signal: SIGBUS itself, or under the sanitizers the
        // abort of their own handler, which the signal is passed on to.
        [](int status) { return WIFSIGNALED(status) && (WTERMSIG(status) == SIGBUS || WTERMSIG(status) == SIGABRT); },
        "");
}

#else

// On Windows nobody may write or cut the file while it is mapped.
TEST_F(MapWholeFileTest, NobodyCanWriteTheFileWhileItIsMapped)
{
    const std::string text = Pattern(std::size_t{2} << 20);
    const std::string path = Write("query.gpx", text);
    {
        const LargeBuffer mapped = MapWholeFile(path);
        EXPECT_FALSE(std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out).is_open());
        std::error_code ec;
        fs::resize_file(path, 10, ec);
        EXPECT_TRUE(ec);
        // Renamed away and replaced by another file, it stays what was mapped.
        fs::rename(path, path + ".old");
        Write("query.gpx", "replaced");
        EXPECT_EQ(mapped.View(), text);
        fs::remove(path);
        fs::rename(path + ".old", path);
    }
    std::error_code ec;
    fs::resize_file(path, 10, ec);  // free again once unmapped
    EXPECT_FALSE(ec);
}

#endif

}  // namespace
}  // namespace ql::platform

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql::platform {
namespace {

namespace fs = std::filesystem;

TEST(LargeBuffer, HoldsWhatIsWrittenAndMovesWithoutCopying)
{
    for (const std::size_t capacity : {std::size_t{1}, std::size_t{4096}, std::size_t{5} << 20}) {
        LargeBuffer buffer(capacity);
        ASSERT_EQ(buffer.Capacity(), capacity);
        EXPECT_EQ(buffer.Size(), 0u);
        EXPECT_GE(buffer.ReservedBytes(), capacity);
        std::memset(buffer.Data(), 'q', capacity);  // every byte is writable
        buffer.Data()[capacity - 1] = 'z';
        buffer.SetSize(capacity);

        const char* data = buffer.Data();
        LargeBuffer moved = std::move(buffer);
        EXPECT_EQ(moved.Data(), data);
        EXPECT_EQ(moved.View().back(), 'z');
        EXPECT_EQ(buffer.Data(), nullptr);
        EXPECT_EQ(buffer.Size(), 0u);
        buffer = std::move(moved);  // and back, releasing nothing twice
        EXPECT_EQ(buffer.View().size(), capacity);
    }
    EXPECT_THROW(LargeBuffer(16).SetSize(17), std::length_error);
    EXPECT_EQ(LargeBuffer().View(), "");
}

// Large blocks start on a 2 MiB boundary, as huge pages need.
TEST(LargeBuffer, LargeBlocksAreAlignedForHugePages)
{
#ifdef __linux__
    LargeBuffer buffer(std::size_t{3} << 20);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % (std::size_t{2} << 20), 0u);
    EXPECT_EQ(buffer.ReservedBytes(), std::size_t{4} << 20);
#else
    GTEST_SKIP() << "huge pages are a Linux matter";
#endif
}

TEST(LargeBuffer, ALargeBlockGrowsKeepingItsBytesASmallOneDoesNot)
{
    LargeBuffer small(100);
    EXPECT_FALSE(small.GrowKeepingPages(200));
    EXPECT_EQ(small.Capacity(), 100u);
    EXPECT_TRUE(small.GrowKeepingPages(50));  // room enough already
#ifdef __linux__
    // Past its reserved pages: 3 MiB in 4 MiB grow to 9 MiB, the bytes kept,
    // every new byte writable.
    LargeBuffer buffer(std::size_t{3} << 20);
    for (std::size_t i = 0; i < buffer.Capacity(); ++i) buffer.Data()[i] = static_cast<char>(i % 251);
    buffer.SetSize(buffer.Capacity());
    ASSERT_TRUE(buffer.GrowKeepingPages(std::size_t{9} << 20));
    EXPECT_EQ(buffer.Capacity(), std::size_t{9} << 20);
    EXPECT_EQ(buffer.Size(), std::size_t{3} << 20);
    EXPECT_GE(buffer.ReservedBytes(), std::size_t{9} << 20);
    bool same = true;
    for (std::size_t i = 0; i < buffer.Size(); ++i) same = same && buffer.Data()[i] == static_cast<char>(i % 251);
    EXPECT_TRUE(same);
    std::memset(buffer.Data() + buffer.Size(), 'n', buffer.Capacity() - buffer.Size());
    buffer.SetSize(buffer.Capacity());
    EXPECT_EQ(buffer.View().back(), 'n');
#endif
}

class ReadWholeFileLargeTest : public ::testing::Test {
protected:
    fs::path folder;
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("ql_large_read_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

TEST_F(ReadWholeFileLargeTest, ReadsEveryByteOfSmallEmptyAndLargeFiles)
{
    EXPECT_EQ(ReadWholeFileLarge(Write("empty", "")).View(), "");
    EXPECT_EQ(ReadWholeFileLarge(Write("small", "a\r\nb")).View(), "a\r\nb");
    std::string large(std::size_t{3} << 20, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 4096);
    const LargeBuffer read = ReadWholeFileLarge(Write("large", large));
    EXPECT_EQ(read.Size(), large.size());
    EXPECT_TRUE(read.View() == large);
}

// The file is copied, not mapped: what happens to it on disk afterwards
// leaves the text alone.
TEST_F(ReadWholeFileLargeTest, TheTextOutlivesTheFileChangingOnDisk)
{
    const std::string text(std::size_t{2} << 20, 'x');
    const std::string path = Write("query.gpx", text);
    const LargeBuffer read = ReadWholeFileLarge(path);
    fs::resize_file(path, 10);
    Write("query.gpx", "replaced");
    fs::remove(path);
    EXPECT_EQ(read.Size(), text.size());
    EXPECT_EQ(read.View().substr(read.Size() - 3), "xxx");
}

TEST_F(ReadWholeFileLargeTest, MissingFileAndFolderGiveTheOpenMessage)
{
    const std::string missing = (folder / "missing.gpx").string();
    try {
        ReadWholeFileLarge(missing);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Datei " + missing + " kann nicht geöffnet werden. ", 0), 0u) << e.what();
    }
    EXPECT_THROW(ReadWholeFileLarge(folder.string()), UserError);
}

}  // namespace
}  // namespace ql::platform

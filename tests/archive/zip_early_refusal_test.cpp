// Entries of stray bytes that look too large to repair: counted by the
// decoder that only counts, refused by it only where zlib's path would refuse
// them; every other end is zlib's.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <zlib.h>

#include "archive/extract.h"
#include "base/cancel.h"
#include "support/error_of.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

const std::string CheckFailed =
    "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008";
const std::string BeyondTheLimit =
    "Die Abfrage ist zu groß: mehr als 4.000.000.000 Bytes, höchstens 4.000.000.000 Bytes sind möglich.";

// `count` bytes of 0xFF deflated as a block of their own (flushed whole, the
// window reset), to be put one after another.
std::string StrayBlock(std::size_t count)
{
    const std::string bytes(count, '\xFF');
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string block(deflateBound(&zs, static_cast<uLong>(count)) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = static_cast<uInt>(count);
    zs.next_out = reinterpret_cast<Bytef*>(block.data());
    zs.avail_out = static_cast<uInt>(block.size());
    deflate(&zs, Z_FULL_FLUSH);
    block.resize(zs.total_out);
    deflateEnd(&zs);
    return block;
}

// A last block that is only a 3-bit header: the last block, of type 3, which no stream has.
const std::string BrokenBlock = "\x07";
// A last fixed-code block that only ends.
const std::string LastBlock = std::string("\x03\x00", 2);

// The first `millions` million stray bytes, then `more` of them, then `tail`.
std::string StrayStream(int millions, std::size_t more, const std::string& tail)
{
    const std::string million = StrayBlock(1'000'000);
    std::string stream;
    for (int i = 0; i < millions; ++i) stream += million;
    if (more > 0) stream += StrayBlock(more);
    return stream + tail;
}

// Extracts the archive of one entry that declares 1,340,000,000 bytes:
// 4,020,000,000 once every stray byte reads as U+FFFD.
std::string ExtractDeclaringTooMuch(const std::string& stream, ExtractProgress& progress)
{
    const test::TestEntry entry{"q.gpx", "", 8, 0x12345678u, 1'340'000'000, stream};
    const std::string archive = test::ZipBuilder().Add(entry).Build();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("ql_early_" + std::to_string(::getpid()) + ".zip");
    std::ofstream(path, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
    struct RemoveOnExit {
        std::filesystem::path path;
        ~RemoveOnExit() { std::filesystem::remove(path); }
    } remove{path};
    return test::ErrorOf([&] { (void)ExtractFirstGpx(path.string(), progress); });
}

std::string ExtractDeclaringTooMuch(const std::string& stream)
{
    NoExtractProgress progress;
    return ExtractDeclaringTooMuch(stream, progress);
}

// The repaired text passes the limit after 1,333,333,334 bytes, in zlib's
// call whose MiB of output ends at 1,333,788,672.
TEST(ZipEarlyRefusal, AStreamBrokenAfterTheCallThatPassesTheLimitIsRefused)
{
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(1334, 500'000, BrokenBlock)), BeyondTheLimit);
    // Cut off there, or with a wrong CRC-32 and size at its end: the same.
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(1334, 0, "")), BeyondTheLimit);
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(1335, 0, LastBlock)), BeyondTheLimit);
}

TEST(ZipEarlyRefusal, AStreamBrokenInTheCallThatPassesTheLimitFailsAsZlibFailsIt)
{
    // zlib finds the broken block before it returns the piece that passes the
    // limit: the check error, whichever decoder counted first.
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(1333, 500'000, BrokenBlock)), CheckFailed);
}

TEST(ZipEarlyRefusal, AStreamThatEndsBeforeTheLimitIsLeftToZlib)
{
    // Given up after 16 MiB, counted to its end by the decoder that only
    // counts, then by zlib, which checks the size and the CRC-32.
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(30, 0, LastBlock)), CheckFailed);
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(30, 0, BrokenBlock)), CheckFailed);
    EXPECT_EQ(ExtractDeclaringTooMuch(StrayStream(30, 0, "")), CheckFailed);
}

// Asked to stop once the gauge passes 2 %: past the 16 MiB zlib decodes
// before the bytes are given up, while the decoder that only counts is at work.
class StopAtTwoPercent : public ExtractProgress {
public:
    void OnFileProgress(double percent) override
    {
        if (percent > 2.0) throw Cancelled();
    }
    void OnOverallProgress(double) override {}
};

TEST(ZipEarlyRefusal, AStopAskedForWhileCountingEndsTheCounting)
{
    StopAtTwoPercent progress;
    EXPECT_THROW((void)ExtractDeclaringTooMuch(StrayStream(40, 0, LastBlock), progress), Cancelled);
}

}  // namespace
}  // namespace ql

// Entries whose bytes stop being wanted while they are decoded: decoded to the
// end and checked all the same, without their bytes; and the hostile entry
// whose repaired text would be too large, refused where it passes the limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <zlib.h>

#include "archive/extract.h"
#include "archive/query_entry_watch.h"
#include "archive/zip_reader.h"
#include "support/error_of.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

using test::ErrorOf;

const std::string CheckFailed =
    "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008";

// Keeps a copy of every piece handed on; wants the bytes up to `wantedUpTo`.
struct Recorder : zip::DecodeWatcher {
    explicit Recorder(std::size_t wantedUpTo) : wantedUpTo(wantedUpTo) {}
    bool OnPiece(const char* data, std::size_t n) override
    {
        seen.append(data, n);
        return seen.size() < wantedUpTo;
    }
    std::size_t wantedUpTo;
    std::string seen;
};

// Some MiB of text (several pieces of output) that compresses some, but not
// to nothing.
std::string SomeText()
{
    std::mt19937 random(3);
    std::string text;
    while (text.size() < (std::size_t{5} << 19)) text += "line " + std::to_string(random() % 100000) + "\r\n";
    return text;
}

struct Extracted {
    bool kept;
    std::string bytes;  // what the buffer holds
};

Extracted Extract(const test::TestEntry& entry, zip::DecodeWatcher& watcher)
{
    zip::ZipReader reader;
    reader.Open(std::make_unique<zip::MemoryFile>(test::ZipBuilder().Add(entry).Build()));
    platform::LargeBuffer out;
    NoExtractProgress progress;
    const bool kept = reader.ExtractToStream("*.gpx", out, progress, watcher);
    return {kept, std::string(out.View())};
}

TEST(ZipGiveUp, AnEntryNoLongerWantedIsHandedOnWholeAndCheckedButNotKept)
{
    const std::string text = SomeText();
    for (const std::uint16_t method : {0, 8}) {
        Recorder wanting(SIZE_MAX);
        const Extracted whole = Extract({"q.gpx", text, method, {}, {}}, wanting);
        EXPECT_TRUE(whole.kept);
        EXPECT_TRUE(whole.bytes == text);
        // Given up after a MiB and a half: the rest still goes by, in order.
        Recorder givingUp(std::size_t{3} << 19);
        const Extracted none = Extract({"q.gpx", text, method, {}, {}}, givingUp);
        EXPECT_FALSE(none.kept) << method;
        EXPECT_EQ(none.bytes, "");
        EXPECT_TRUE(givingUp.seen == text) << method;
        // A wrong CRC-32 or size still fails the check.
        for (const test::TestEntry& lie : {test::TestEntry{"q.gpx", text, method, 0x12345678u, {}},
                                           test::TestEntry{"q.gpx", text, method, {}, text.size() + 1},
                                           test::TestEntry{"q.gpx", text, method, {}, text.size() - 1}}) {
            Recorder early(1);
            EXPECT_EQ(ErrorOf([&] { (void)Extract(lie, early); }), CheckFailed) << method;
        }
    }
}

// Hands `total` bytes of `byte` to the watch in pieces of a MiB; false once
// it wants no more.
bool HandOn(QueryEntryWatch& watch, char byte, std::size_t total)
{
    const std::string piece(std::size_t{1} << 20, byte);
    bool wanted = true;
    for (std::size_t done = 0; done < total; done += piece.size()) wanted = watch.OnPiece(piece.data(), piece.size());
    return wanted;
}

TEST(QueryEntryWatch, GivesUpTheBytesOnlyWhenTheRepairedTextLooksTooLarge)
{
    constexpr std::size_t Seen = std::size_t{16} << 20;
    using Bytes = QueryEntryWatch::Bytes;
    // Stray bytes grow threefold: 1,340,000,000 of them would pass four
    // billion, 1,333,000,000 would not.
    QueryEntryWatch tooLarge(1'340'000'000, Bytes::MayGiveUp);
    EXPECT_TRUE(HandOn(tooLarge, '\xFF', Seen - (std::size_t{1} << 20)));  // too little seen to guess
    EXPECT_FALSE(HandOn(tooLarge, '\xFF', std::size_t{1} << 20));
    EXPECT_EQ(tooLarge.RepairedSize(), 3 * Seen);
    QueryEntryWatch justInside(1'333'000'000, Bytes::MayGiveUp);
    EXPECT_TRUE(HandOn(justInside, '\xFF', Seen));
    // Valid text never, nor a watch that keeps every byte.
    QueryEntryWatch valid(4'000'000'000, Bytes::MayGiveUp);
    EXPECT_TRUE(HandOn(valid, 'x', Seen));
    QueryEntryWatch keeping(1'340'000'000, Bytes::KeepAll);
    EXPECT_TRUE(HandOn(keeping, '\xFF', Seen));
}

// A deflated stream of `count` times `piece`: the piece deflated once, ending
// on a byte with nothing carried into the next copy, then a last empty block.
std::string RepeatedDeflate(const std::string& piece, int count)
{
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string block(deflateBound(&zs, static_cast<uLong>(piece.size())) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    zs.avail_in = static_cast<uInt>(piece.size());
    zs.next_out = reinterpret_cast<Bytef*>(block.data());
    zs.avail_out = static_cast<uInt>(block.size());
    deflate(&zs, Z_FULL_FLUSH);
    block.resize(zs.total_out);
    char last[16];
    zs.next_out = reinterpret_cast<Bytef*>(last);
    zs.avail_out = sizeof last;
    deflate(&zs, Z_FINISH);
    const std::string end(last, sizeof last - zs.avail_out);
    deflateEnd(&zs);
    std::string stream;
    for (int i = 0; i < count; ++i) stream += block;
    return stream + end;
}

// The furthest the inflater got, in percent of the entry.
class FurthestProgress : public ExtractProgress {
public:
    void OnFileProgress(double percent) override { furthest = std::max(furthest, percent); }
    void OnOverallProgress(double) override {}
    double furthest = 0;
};

TEST(ZipGiveUp, AnEntryOfStrayBytesIsRefusedWhereItsRepairedTextPassesTheLimit)
{
    // 1,340,000,000 bytes of 0xFF in 1.3 MB: each reads as the three bytes of
    // U+FFFD, 4,020,000,000 in all, which no query may hold. The limit is
    // passed after 1,333,333,334 of them: the rest is never inflated.
    const std::string piece(1'000'000, '\xFF');
    const int count = 1340;
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    const auto pieceCrc = static_cast<std::uint32_t>(test::Crc32Of(piece));
    for (int i = 0; i < count; ++i) crc = static_cast<std::uint32_t>(crc32_combine(crc, pieceCrc, 1'000'000));
    test::TestEntry entry{"q.gpx", "", 8, crc, std::uint64_t{1'000'000} * count, RepeatedDeflate(piece, count)};
    const std::string archive = test::ZipBuilder().Add(entry).Build();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ql_give_up_ff.zip";
    std::ofstream(path, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
    FurthestProgress progress;
    EXPECT_EQ(ErrorOf([&] { (void)ExtractFirstGpx(path.string(), progress); }),
              "Die Abfrage ist zu groß: mehr als 4.000.000.000 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    EXPECT_LT(progress.furthest, 99.6);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace ql

// The decoder that only counts, held against zlib: the same bytes in the same
// pieces for every stream zlib writes, and for a broken stream never a piece
// zlib would not have returned, never an end zlib would not have found.

#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "base/line_count.h"
#include "base/repaired_size.h"
#include "support/inflate_pieces.h"

namespace ql {
namespace {

using test::CountingPieces;
using test::Pieces;
using test::ZlibPieces;

// ---- inputs ----

std::string RandomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

std::string Text(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    const char* const words[] = {"<wpt lat=\"50.1\" lon=\"7.2\">",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e",
                                 "cache",
                                 "\r\n",
                                 "\n",
                                 "  <name>GC",
                                 "</name>",
                                 "\xE2\x82\xAC",
                                 "Rheinland-Pfalz",
                                 "\t"};
    std::string s;
    while (s.size() < n) s += words[random() % std::size(words)];
    s.resize(n);
    return s;
}

// Runs of one byte, from one byte to a few thousand long.
std::string Runs(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < n) s.append(1 + random() % (random() % 4 == 0 ? 4000 : 40), static_cast<char>(random()));
    s.resize(n);
    return s;
}

// 0xFF with a little text between.
std::string StrayRuns(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < n) s += std::string(random() % 70000, '\xFF') + "<a>\r\n";
    s.resize(n);
    return s;
}

// Valid UTF-8 mixed with stray bytes and sequences cut short.
std::string MixedInvalid(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    const char* const parts[] = {"a",        "\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\x80", "\xC3",
                                 "\xE2\x82", "\xFF",     "\xC0\xAF",     "\xED\xA0\x80",     "\r",   "\n"};
    std::string s;
    while (s.size() < n) s += parts[random() % std::size(parts)];
    s.resize(n);
    return s;
}

// `data` deflated raw; with `flushes`, in parts, flushed between them (empty
// stored blocks, blocks of every kind ending mid-stream).
std::string Deflate(const std::string& data, int level, int strategy, bool flushes = false)
{
    z_stream zs{};
    deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 8, strategy);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 1024 + data.size() / 8, '\0');
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int flushKinds[] = {Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_PARTIAL_FLUSH, Z_BLOCK};
    std::size_t at = 0;
    for (int part = 0; at < data.size() || part == 0; ++part) {
        const std::size_t n = flushes ? std::min<std::size_t>(data.size() - at, 1 + (data.size() / 5)) : data.size();
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + at));
        zs.avail_in = static_cast<uInt>(n);
        at += n;
        deflate(&zs, at < data.size() ? flushKinds[part % 4] : Z_FINISH);
    }
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// ---- comparison ----

// What the query's watch counts of the pieces.
struct Counts {
    std::uint64_t lineBreaks = 0;
    std::uint64_t repaired = 0;
    bool operator==(const Counts&) const = default;
};

Counts CountsOf(const Pieces& pieces)
{
    Counts counts;
    RepairedSizeCounter repaired;
    for (const std::string& p : pieces.handed) {
        counts.lineBreaks += CountLineBreaks(p.data(), p.data() + p.size());
        repaired.Add(p.data(), p.size());
    }
    counts.repaired = repaired.Total();
    return counts;
}

std::vector<std::size_t> SizesOf(const Pieces& pieces)
{
    std::vector<std::size_t> sizes;
    for (const std::string& p : pieces.handed) sizes.push_back(p.size());
    return sizes;
}

struct Cut {
    std::size_t read;
    std::size_t room;
};

// The reads and rooms of an entry, and small ones that put boundaries everywhere.
const Cut EntryCut{1 << 20, 1 << 20};
const Cut SmallCuts[] = {{4096, 65536}, {1000, 777}, {13, 100}};

void ExpectSamePieces(const std::string& stream, const std::string& data, Cut cut, std::uint64_t capacity)
{
    const Pieces zlib = ZlibPieces(stream, cut.read, cut.room, capacity);
    const Pieces ours = CountingPieces(stream, cut.read, cut.room, capacity);
    ASSERT_TRUE(zlib.ended);
    EXPECT_TRUE(zlib.Bytes() == data);  // the test's own premise
    EXPECT_EQ(ours.end, zip::InflateEnd::StreamEnd);
    EXPECT_TRUE(ours.ended);
    EXPECT_EQ(SizesOf(ours), SizesOf(zlib));
    EXPECT_TRUE(ours.Bytes() == data);
    EXPECT_TRUE(CountsOf(ours) == CountsOf(zlib));
}

// Every piece handed on is one zlib returns, in its place; the end only
// where zlib ends too, with the same bytes.
void ExpectNothingZlibWouldNotReturn(const std::string& stream, Cut cut, std::uint64_t capacity)
{
    const Pieces zlib = ZlibPieces(stream, cut.read, cut.room, capacity);
    const Pieces ours = CountingPieces(stream, cut.read, cut.room, capacity);
    ASSERT_LE(ours.handed.size(), zlib.handed.size());
    for (std::size_t i = 0; i < ours.handed.size(); ++i) ASSERT_TRUE(ours.handed[i] == zlib.handed[i]) << "piece " << i;
    if (zlib.ended) {
        EXPECT_EQ(ours.end, zip::InflateEnd::StreamEnd);
        EXPECT_EQ(ours.handed.size(), zlib.handed.size());
    } else {
        EXPECT_EQ(ours.end, zip::InflateEnd::Broken);
        EXPECT_FALSE(ours.ended);
    }
}

struct Input {
    const char* kind;
    std::string (*make)(std::size_t, unsigned);
};
const Input Inputs[] = {
    {"random", RandomBytes}, {"text", Text}, {"runs", Runs}, {"0xFF runs", StrayRuns}, {"mixed invalid", MixedInvalid}};
const int Levels[] = {0, 1, 6, 9};
const int Strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};

TEST(PieceInflater, EveryStreamZlibWritesDecodesToZlibsPieces)
{
    for (const Input& input : Inputs) {
        for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{300}, std::size_t{70000}}) {
            const std::string data = input.make(size, static_cast<unsigned>(size));
            for (const int level : Levels) {
                for (const int strategy : Strategies) {
                    SCOPED_TRACE(std::string(input.kind) + ", " + std::to_string(size) + " bytes, level " +
                                 std::to_string(level) + ", strategy " + std::to_string(strategy));
                    const std::string stream = Deflate(data, level, strategy, size > 1000 && level % 3 == 0);
                    ExpectSamePieces(stream, data, EntryCut, data.size() + 1);
                    for (const Cut cut : SmallCuts) ExpectSamePieces(stream, data, cut, data.size() + 1);
                }
            }
        }
    }
}

TEST(PieceInflater, MebibytesDecodeToZlibsPiecesInAnEntrysReadsAndRooms)
{
    for (const Input& input : Inputs) {
        const std::string data = input.make(std::size_t{5} << 19, 7);
        for (const int level : {1, 9}) {
            for (const int strategy : {Z_DEFAULT_STRATEGY, Z_RLE}) {
                SCOPED_TRACE(std::string(input.kind) + ", level " + std::to_string(level) + ", strategy " +
                             std::to_string(strategy));
                const std::string stream = Deflate(data, level, strategy);
                // Compressed reads of 64 KiB put several read ends inside the stream.
                ExpectSamePieces(stream, data, {65536, 1 << 20}, data.size() + 1);
            }
        }
    }
    // Stored blocks across reads and rooms.
    const std::string random = RandomBytes(std::size_t{5} << 19, 8);
    ExpectSamePieces(Deflate(random, 0, Z_DEFAULT_STRATEGY), random, EntryCut, random.size() + 1);
    ExpectSamePieces(Deflate(random, 0, Z_DEFAULT_STRATEGY), random, {100000, 70001}, random.size() + 1);
}

TEST(PieceInflater, OutputPastTheCapacityEndsWhereZlibStops)
{
    const std::string data = Text(200000, 3);
    const std::string stream = Deflate(data, 6, Z_DEFAULT_STRATEGY);
    for (const std::uint64_t capacity : {std::uint64_t{1}, std::uint64_t{65536}, std::uint64_t{100001},
                                         std::uint64_t{199999}, std::uint64_t{200000}}) {
        SCOPED_TRACE(capacity);
        for (const Cut cut : SmallCuts) ExpectNothingZlibWouldNotReturn(stream, cut, capacity);
    }
}

TEST(PieceInflater, CutAndFlippedStreamsHandOnlyWhatZlibReturns)
{
    std::mt19937 random(11);
    for (const Input& input : Inputs) {
        const std::string data = input.make(40000, 5);
        for (const int strategy : Strategies) {
            SCOPED_TRACE(std::string(input.kind) + ", strategy " + std::to_string(strategy));
            const std::string stream = Deflate(data, 6, strategy);
            for (std::size_t cutAt = 0; cutAt < stream.size(); cutAt += 1 + stream.size() / 40) {
                for (const Cut cut : SmallCuts) ExpectNothingZlibWouldNotReturn(stream.substr(0, cutAt), cut, 1 << 20);
            }
            for (int flip = 0; flip < 60; ++flip) {
                std::string broken = stream;
                broken[random() % broken.size()] ^= static_cast<char>(1u << (random() % 8));
                ExpectNothingZlibWouldNotReturn(broken, SmallCuts[flip % 3], 1 << 20);
            }
        }
    }
    for (int i = 0; i < 300; ++i) {
        const std::string noise = RandomBytes(1 + random() % 3000, static_cast<unsigned>(i));
        ExpectNothingZlibWouldNotReturn(noise, SmallCuts[i % 3], 1 << 20);
    }
}

// ---- hand-made broken streams ----

// Bits least significant first; Huffman codes most significant bit first.
class BitWriter {
public:
    BitWriter& Put(unsigned value, unsigned bits)
    {
        for (unsigned i = 0; i < bits; ++i) Bit((value >> i) & 1u);
        return *this;
    }
    BitWriter& Code(unsigned code, unsigned bits)
    {
        for (unsigned i = bits; i-- > 0;) Bit((code >> i) & 1u);
        return *this;
    }
    std::string Bytes() const { return bytes_; }

private:
    void Bit(unsigned b)
    {
        if (used_ % 8 == 0) bytes_ += '\0';
        bytes_.back() = static_cast<char>(bytes_.back() | (b << (used_ % 8)));
        ++used_;
    }
    std::string bytes_;
    unsigned used_ = 0;
};

// A dynamic block's header whose code lengths code gives each of the eight
// symbols 0, 1, 2, 3, 8, 16, 17, 18 three bits (in that order: codes 0 to 7),
// then the code lengths written as `lengthCodes` (code lengths code symbol,
// extra bits value).
std::string DynamicHeader(unsigned lengthCount, unsigned distanceCount,
                          const std::vector<std::pair<unsigned, unsigned>>& lengthCodes)
{
    BitWriter w;
    w.Put(1, 1).Put(2, 2).Put(lengthCount - 257, 5).Put(distanceCount - 1, 5).Put(19 - 4, 4);
    const unsigned order[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (const unsigned s : order) w.Put(s <= 3 || s == 8 || s >= 16 ? 3 : 0, 3);
    const auto codeOf = [](unsigned s) { return s <= 3 ? s : s == 8 ? 4u : s - 11; };
    for (const auto& [s, extra] : lengthCodes) {
        w.Code(codeOf(s), 3);
        if (s == 16) w.Put(extra, 2);
        if (s == 17) w.Put(extra, 3);
        if (s == 18) w.Put(extra, 7);
    }
    // Whatever follows: some zero bytes.
    return w.Bytes() + std::string(64, '\0');
}

// A dynamic block's header up to its code lengths code, whose lengths (in the
// order they are written) are `lengths`.
std::string CodeLengthsHeader(const std::vector<unsigned>& lengths)
{
    BitWriter w;
    w.Put(1, 1).Put(2, 2).Put(0, 5).Put(0, 5).Put(static_cast<unsigned>(lengths.size()) - 4, 4);
    for (const unsigned len : lengths) w.Put(len, 3);
    return w.Bytes() + std::string(64, '\0');
}

// `count` zero lengths written as runs of 18 and 17.
void Zeros(std::vector<std::pair<unsigned, unsigned>>& codes, unsigned count)
{
    while (count >= 11) {
        const unsigned n = std::min(count, 138u);
        codes.push_back({18, n - 11});
        count -= n;
    }
    while (count >= 3) {
        const unsigned n = std::min(count, 10u);
        codes.push_back({17, n - 3});
        count -= n;
    }
    for (; count > 0; --count) codes.push_back({0, 0});
}

// Literal/length lengths: `len` for each symbol listed, 0 for the rest (257 of them).
std::vector<std::pair<unsigned, unsigned>> LiteralLengths(const std::vector<std::pair<unsigned, unsigned>>& symbols)
{
    std::vector<std::pair<unsigned, unsigned>> codes;
    unsigned next = 0;
    for (const auto& [symbol, len] : symbols) {
        Zeros(codes, symbol - next);
        codes.push_back({len, 0});
        next = symbol + 1;
    }
    Zeros(codes, 257 - next);
    return codes;
}

std::vector<std::pair<unsigned, unsigned>> Join(std::vector<std::pair<unsigned, unsigned>> a,
                                                const std::vector<std::pair<unsigned, unsigned>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(PieceInflater, BrokenStreamsAreBrokenAsForZlib)
{
    const auto oneDistance = std::vector<std::pair<unsigned, unsigned>>{{1, 0}};
    struct Case {
        const char* what;
        std::string stream;
    };
    const Case cases[] = {
        {"block type 3", BitWriter().Put(1, 1).Put(3, 2).Bytes() + std::string(8, '\0')},
        {"stored length not matched by its complement",
         BitWriter().Put(1, 1).Put(0, 2).Put(0, 5).Put(5, 16).Put(5, 16).Bytes() + "hello"},
        // zlib returns the three bytes there are before it fails.
        {"stored block longer than the input",
         BitWriter().Put(1, 1).Put(0, 2).Put(0, 5).Put(9, 16).Put(0xFFF6, 16).Bytes() + "abc"},
        {"oversubscribed code lengths code", CodeLengthsHeader({1, 1, 1, 0})},
        {"incomplete code lengths code", CodeLengthsHeader({2, 0, 0, 0})},
        {"no code lengths code", CodeLengthsHeader({0, 0, 0, 0})},
        {"too many length codes", DynamicHeader(287, 1, {})},
        {"too many distance codes", DynamicHeader(257, 31, {})},
        {"repeat with nothing before", DynamicHeader(257, 1, {{16, 0}})},
        {"repeat past the lengths", DynamicHeader(257, 1, {{18, 127}, {18, 127}, {18, 127}})},
        {"oversubscribed literal/length code",
         DynamicHeader(257, 1, Join(LiteralLengths({{0, 1}, {1, 1}, {256, 1}}), oneDistance))},
        {"incomplete literal/length code",
         DynamicHeader(257, 1, Join(LiteralLengths({{0, 2}, {256, 2}}), oneDistance))},
        {"no end-of-block code", DynamicHeader(257, 1, Join(LiteralLengths({{0, 1}, {1, 1}}), oneDistance))},
        {"oversubscribed distance code",
         DynamicHeader(257, 3, Join(LiteralLengths({{0, 1}, {256, 1}}), {{1, 0}, {1, 0}, {1, 0}}))},
        {"incomplete distance code", DynamicHeader(257, 2, Join(LiteralLengths({{0, 1}, {256, 1}}), {{2, 0}, {2, 0}}))},
        // Fixed codes: length 3 (symbol 257, 0000001) at distance 1 (00000) before any byte.
        {"distance too far back", BitWriter().Put(1, 1).Put(1, 2).Code(1, 7).Code(0, 5).Code(0, 7).Bytes()},
        // 'A' (0x41 + 0x30 in 8 bits), then length 3 at distance 2.
        {"distance one past the start",
         BitWriter().Put(1, 1).Put(1, 2).Code(0x71, 8).Code(1, 7).Code(1, 5).Code(0, 7).Bytes()},
        {"literal/length symbol 286", BitWriter().Put(1, 1).Put(1, 2).Code(0xC6, 8).Code(0, 7).Bytes()},
        {"distance symbol 30", BitWriter().Put(1, 1).Put(1, 2).Code(0x71, 8).Code(1, 7).Code(30, 5).Code(0, 7).Bytes()},
        {"no last block", BitWriter().Put(0, 1).Put(1, 2).Code(0x71, 8).Code(0, 7).Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Cut cut : SmallCuts) {
            const Pieces zlib = ZlibPieces(c.stream, cut.read, cut.room, 1 << 20);
            EXPECT_FALSE(zlib.ended);  // the case's own premise
            const Pieces ours = CountingPieces(c.stream, cut.read, cut.room, 1 << 20);
            EXPECT_EQ(ours.end, zip::InflateEnd::Broken);
            EXPECT_EQ(zlib.Bytes().substr(0, ours.Bytes().size()), ours.Bytes());
        }
    }
    // The same stream whole: one byte, then a match of three at distance one.
    const std::string valid = BitWriter().Put(1, 1).Put(1, 2).Code(0x71, 8).Code(1, 7).Code(0, 5).Code(0, 7).Bytes();
    EXPECT_TRUE(CountingPieces(valid, 13, 100, 1 << 20).Bytes() == "AAAA");
}

}  // namespace
}  // namespace ql

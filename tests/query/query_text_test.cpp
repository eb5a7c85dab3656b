#include <gtest/gtest.h>

#include "query/query_pipeline.h"
#include "query/query_text.h"
#include "query/line_kinds.h"
#include "core/tables.h"
#include "base/user_error.h"
#include "base/utf8.h"
#include "support/error_of.h"

#include <cstring>

namespace ql {
namespace {

std::vector<std::string> Lines(const QueryText& q)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < q.Size(); ++i) out.emplace_back(q.At(i));
    return out;
}

TEST(QueryText, SplitsAtEveryKindOfLineBreakAndSkipsALeadingByteOrderMark)
{
    using L = std::vector<std::string>;
    const std::pair<std::string, L> cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\rb\n\rc", {"a", "", "b", "", "c"}},  // CR CR is two breaks, LF CR too; only CR LF is one
        {"a\r\n", {"a"}},  // a break at the end adds no empty line
        {"a\r\n\r\n", {"a", ""}},
        {"", {}},
        {"\n", {""}},
        {"\xEF\xBB\xBF<?xml?>\r\nx", {"<?xml?>", "x"}},
        {"\xEF\xBB\xBF", {}},
        {"x\xEF\xBB\xBF", {"x\xEF\xBB\xBF"}},  // only a leading mark is skipped
    };
    for (const auto& [bytes, lines] : cases) {
        const QueryText q = QueryText::FromBytes(bytes);
        EXPECT_EQ(Lines(q), lines) << bytes;
        EXPECT_EQ(q.Empty(), lines.empty()) << bytes;
    }
}

TEST(QueryText, StrayBytesAreDecodedAsReplacementCharacters)
{
    // Valid text is kept as it is, umlauts and all.
    EXPECT_EQ(Lines(QueryText::FromBytes("Br\xC3\xBC"
                                         "cke \xE2\x80\x93 \xF0\x9F\x98\x80")),
              std::vector<std::string>{"Br\xC3\xBC"
                                       "cke \xE2\x80\x93 \xF0\x9F\x98\x80"});
    // A Latin-1 byte, a lone continuation byte, a cut sequence at the end, an
    // overlong form and a surrogate each read as U+FFFD per byte.
    EXPECT_EQ(
        Lines(QueryText::FromBytes("M\xFCnster\n\x80x\n\xC0\xAF\n\xED\xA0\x80\n\xE2\x80")),
        (std::vector<std::string>{"M\uFFFDnster", "\uFFFDx", "\uFFFD\uFFFD", "\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD"}));
}

TEST(QueryText, LinesSurviveMovingTheText)
{
    QueryText shortText = QueryText::FromBytes("ab\ncd");  // small enough for the string's inline buffer
    QueryText moved = std::move(shortText);
    EXPECT_EQ(moved.At(1), "cd");
}

// The split as plainly written: one break per CR LF, CR or LF.
std::vector<std::string> PlainSplit(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

TEST(QueryText, SplitsLikeThePlainRuleAcrossEveryBlockBoundary)
{
    // Breaks land at every position of the split's sixteen-byte blocks, and
    // CR LF pairs straddle their borders.
    std::uint32_t seed = 12345;
    const char alphabet[] = {'a', 'b', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(seed % 70);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % 4];
        }
        seed = seed * 1103515245u + 12345u;
        ASSERT_EQ(Lines(QueryText::FromBytes(text)), PlainSplit(text)) << "round " << round;
    }
}

// Long texts of ASCII, breaks, valid sequences of two to four bytes and
// stray bytes, so that every kind lands on every position of the split's
// sixty-four-byte blocks and sequences straddle their borders. Each piece
// knows how it reads: a stray byte as U+FFFD.
TEST(QueryText, ChecksUtf8AndSplitsAcrossEveryBlockBoundary)
{
    struct Piece {
        const char* bytes;
        const char* reads;
    };
    const Piece pieces[] = {
        {"a", "a"},
        {"<", "<"},
        {"\r", "\r"},
        {"\n", "\n"},
        {"\r\n", "\r\n"},
        {"\xC3\xBC", "\xC3\xBC"},  // ü
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},  // €
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // U+1F600
        {"\xFF", "\xEF\xBF\xBD"},  // never in UTF-8
        {"\xE2\x82z", "\xEF\xBF\xBD\xEF\xBF\xBDz"},  // a sequence cut short
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
    };
    std::uint32_t seed = 777;
    for (int round = 0; round < 600; ++round) {
        std::string text, expected;
        seed = seed * 1103515245u + 12345u;
        const int count = static_cast<int>((seed >> 16) % 160);
        // Some rounds stay valid, so that the text is kept without a repair.
        const std::size_t kinds = round % 2 ? std::size(pieces) : 8;
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            const Piece& p = pieces[(seed >> 16) % kinds];
            text += p.bytes;
            expected += p.reads;
        }
        ASSERT_EQ(Lines(QueryText::FromBytes(text)), PlainSplit(expected)) << "round " << round;
    }
}

TEST(QueryText, KnowsWhichLinesHoldTheScansTags)
{
    const std::string filler(70, 'x');  // pushes the tags across block borders
    const QueryText q =
        QueryText::FromBytes("  <wpt lat=\"1\">\r\n" + filler + "<name>a</name>  </wpt>\r\n" +
                             "<groundspeak:country>Germany</groundspeak:country>\n" + filler +
                             "<groundspeak:date>2015</groundspeak:date><wpt\r\n" +
                             "<groundspeak:country>Germany</groundspeak:country \n"  // not the whole text
                             "<wp\nt>\n</wpt\n<groundspeak:date");
    ASSERT_EQ(q.Size(), 9u);
    // Texts cut by a break or by the end of the text count for nothing.
    const unsigned char expected[] = {HasWptOpen, HasWptClose, HasCountry, HasDate | HasWptOpen, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < q.Size(); ++i) EXPECT_EQ(q.Kinds(i), expected[i]) << "line " << i;
}

// The split looks at the bytes after a "<" or a CR, which may lie in the
// next block of the text: every tag and every break reads the same wherever
// it falls, and only a CR directly before an LF joins it.
TEST(QueryText, TagsAndBreaksReadTheSameAtEveryPlaceInABlock)
{
    const std::string lines = "<wpt\r\n</wpt>\r\n<groundspeak:date>\r\r\n<g<w\n</\rwpt>\n\r\n<";
    for (std::size_t shift = 0; shift < 140; ++shift) {
        // Long enough for whole blocks, cut so that the lines land on every place of one.
        const std::string text = std::string(shift, 'x') + "\n" + lines + lines + std::string(70, 'y');
        const QueryText q = QueryText::FromBytes(text);
        // The lines of `lines`, twice; the second time its first line follows the "<" the first left open.
        const std::vector<std::string> group = {"<wpt", "</wpt>", "<groundspeak:date>", "", "<g<w", "</", "wpt>", ""};
        const std::vector<unsigned char> groupKinds = {HasWptOpen, HasWptClose, HasDate, 0, 0, 0, 0, 0};
        std::vector<std::string> expected = {std::string(shift, 'x')};
        std::vector<unsigned char> kinds = {0};  // texts cut by a break count for nothing
        for (int round = 0; round < 2; ++round) {
            expected.insert(expected.end(), group.begin(), group.end());
            kinds.insert(kinds.end(), groupKinds.begin(), groupKinds.end());
        }
        expected[1 + group.size()] = "<" + group[0];
        expected.push_back("<" + std::string(70, 'y'));
        kinds.push_back(0);
        ASSERT_EQ(Lines(q), expected) << "shift " << shift;
        for (std::size_t i = 0; i < q.Size(); ++i)
            ASSERT_EQ(q.Kinds(i), kinds[i]) << "shift " << shift << ", line " << i;
    }
}

TEST(QueryText, KnowsTheStateLines)
{
    const QueryText q = QueryText::FromBytes(
        "  <groundspeak:state>Rheinland-Pfalz</groundspeak:state>\n"
        "<groundspeak:state>Hessen</groundspeak:state>\n"
        "<groundspeak:short_description>x</groundspeak:short_description><groundspeak:state>Rheinland-Pfalz</"
        "groundspeak:state>x\n"
        "<groundspeak:state>Rheinland-Pfalz</groundspeak:state \n"  // not the whole text
        "<groundspeak:country>Germany</groundspeak:country><groundspeak:date>\n"
        "<groundspeak:\n"
        "<groundspeak:state>Rheinland-Pfalz</groundspeak:state>");
    ASSERT_EQ(q.Size(), 7u);
    const unsigned char expected[] = {HasState, 0, HasState, 0, HasCountry | HasDate, 0, HasState};
    for (std::size_t i = 0; i < q.Size(); ++i) EXPECT_EQ(q.Kinds(i), expected[i]) << "line " << i;
}

// A text of many megabytes is split in two halves at once, each into a region
// of the table of its own; it reads as a small one does, also when a stray
// byte in its second half needs a repair.
TEST(QueryText, ALargeTextReadsLikeASmallOne)
{
    const std::string filler(500, '-');  // long lines keep the test quick
    std::vector<std::string> lines;
    std::vector<unsigned char> kinds;
    std::string text;
    for (int i = 0; text.size() < (std::size_t{17} << 20); ++i) {
        switch (i % 3) {
        case 0:
            lines.push_back("  <wpt lat=\"" + std::to_string(i) + "\">");
            kinds.push_back(HasWptOpen);
            break;
        case 1:
            lines.push_back(
                "Br\xC3\xBC"
                "cke " +
                filler + std::to_string(i));
            kinds.push_back(0);
            break;
        default:
            lines.push_back("  </wpt>");
            kinds.push_back(HasWptClose);
            break;
        }
        text += lines.back();
        text += i % 2 ? "\r\n" : "\n";
    }
    const QueryText q = QueryText::FromBytes(text);
    ASSERT_EQ(Lines(q), lines);
    std::vector<unsigned char> found(q.Size());
    for (std::size_t i = 0; i < q.Size(); ++i) found[i] = q.Kinds(i);
    EXPECT_EQ(found, kinds);
    // The next line of a kind, from every line: also across the place where
    // the second half's region of the table begins.
    for (const unsigned char wanted : {HasWptOpen, HasWptClose, HasDate}) {
        std::size_t next = kinds.size();
        for (std::size_t from = kinds.size() + 1; from-- > 0;) {
            if (from < kinds.size() && (kinds[from] & wanted)) next = from;
            ASSERT_EQ(q.NextWith(from, wanted), next) << "from " << from;
        }
    }

    const QueryText repaired = QueryText::FromBytes(text + "x\xFFy");
    ASSERT_EQ(repaired.Size(), lines.size() + 1);
    EXPECT_EQ(repaired.At(lines.size()), "x\xEF\xBF\xBDy");
    EXPECT_EQ(repaired.At(lines.size() - 1), lines.back());
    EXPECT_EQ(repaired.Kinds(lines.size() - 1), kinds.back());
}

// The search for the next line of some kinds reads the kinds eight at a
// time: it finds what a line-by-line look finds, from every line, at every
// distance and across the words, and never a line only for its CR LF break.
TEST(QueryText, NextLineOfAKindIsTheFirstALineByLineLookFinds)
{
    const char* const pieces[] = {"<wpt a>", "</wpt>", "<groundspeak:date>", "x", ""};
    std::uint32_t seed = 99;
    std::string text;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Mostly lines of no kind, so that the search runs over whole words.
        const unsigned pick = (seed >> 16) % 16;
        text += pieces[pick < std::size(pieces) ? pick : 3];
        text += (seed >> 8) % 3 ? "\r\n" : "\n";
    }
    const QueryText q = QueryText::FromBytes(text);
    ASSERT_EQ(q.Size(), 300u);
    const unsigned char searches[] = {HasWptOpen, HasWptClose, HasDate, HasCountry, HasWptOpen | HasDate};
    for (const unsigned char kinds : searches) {
        for (std::size_t from = 0; from <= q.Size(); ++from) {
            std::size_t expected = from;
            while (expected < q.Size() && (q.Kinds(expected) & kinds) == 0) ++expected;
            ASSERT_EQ(q.NextWith(from, kinds), expected) << "from " << from << ", kinds " << int{kinds};
        }
    }
}

TEST(QueryText, AccessBeyondTheEndNamesTheIndex)
{
    QueryText q = QueryText::FromBytes("one\r\ntwo");
    try {
        (void)q.At(2);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "Listenindex überschreitet das Maximum (2)");
    }
}

TEST(MyFindsCheck, ShowsTheQueryDateWithItsIndentation)
{
    QueryText q = QueryText::FromBytes(
        "<?xml?>\r\n<gpx>\r\n  <name>My Finds Pocket Query</name>\r\n<desc/>\r\n<author/>\r\n<email/>\r\n"
        "  <time>2011-06-27T02:11:21Z</time>\r\n");
    EXPECT_EQ(IsMyFindsQuery(q), "  2011-06-27 - 02:11:21Z");
}

TEST(MyFindsCheck, OtherQueriesAndShortFiles)
{
    EXPECT_EQ(IsMyFindsQuery(QueryText::FromBytes("a\nb\n  <name>my finds pocket query</name>")), std::nullopt);
    // Fewer than three lines: the check itself reads past the end.
    EXPECT_THROW((void)IsMyFindsQuery(QueryText::FromBytes("a\nb")), UserError);
    // A My Finds header of fewer than seven lines fails at the date line.
    try {
        (void)IsMyFindsQuery(QueryText::FromBytes("a\nb\nMy Finds Pocket Query\nd"));
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "Listenindex überschreitet das Maximum (6)");
    }
}

TEST(ZipExtension, ComparedWithoutRegardToCase)
{
    for (const char* zip : {"/home/u/query.zip", "/home/u/query.ZIP", "q.Zip"}) EXPECT_TRUE(HasZipExtension(zip));
    for (const char* other : {"/home/u/query.gpx", "/home/u/query.zip.gpx", "zip"})
        EXPECT_FALSE(HasZipExtension(other));
}

TEST(Tables, TypeIconIndexUpperCasesOnlyPlainLetters)
{
    EXPECT_EQ(TypeIconIndex("Traditional Cache"), 0);
    EXPECT_EQ(TypeIconIndex("Multi-cache"), 1);
    EXPECT_EQ(TypeIconIndex("Cache In Trash Out Event"), 6);
    EXPECT_EQ(TypeIconIndex("Virtual Cache"), 11);
    EXPECT_EQ(TypeIconIndex(" Traditional Cache"), std::nullopt);
    EXPECT_EQ(TypeIconIndex("Traditional Cache "), std::nullopt);
    EXPECT_EQ(TypeIconIndex("Lab Cache"), std::nullopt);
    EXPECT_EQ(DistrictNames[23], "Westerwaldkreis");
    EXPECT_EQ(DistrictNames[24], "Frankenthal (Pfalz)");
}

platform::LargeBuffer BufferOf(const std::string& text, std::size_t capacity)
{
    platform::LargeBuffer buffer(capacity);
    std::memcpy(buffer.Data(), text.data(), text.size());
    buffer.SetSize(text.size());
    return buffer;
}

using test::ErrorOf;

TEST(RepairBuffer, RefusedBeyondTheLimitWithTheSizeItWouldHave)
{
    // Ten stray bytes after a valid "ab": 2 + 10 * 3 bytes, one over the limit.
    const std::string text = "ab" + std::string(10, '\xFF');
    platform::LargeBuffer buffer = BufferOf(text, text.size());
    EXPECT_EQ(ErrorOf([&] { RepairBuffer(buffer, 2, 31); }),
              "Die Abfrage ist zu groß: 32 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    EXPECT_EQ(buffer.View(), text);
}

TEST(RepairBuffer, InPlaceOrInACopyTheRepairIsTheStringRepair)
{
    // Sequences cut short and valid ones mixed, stray bytes first and last,
    // long valid runs between them.
    std::string mixed = "x\xE2\x82z\xC3\xBC\xF0\x9F\x98\x80\xED\xA0\x80\xFF";
    std::string large = "\xFF" + std::string(3 << 20, 'q') + mixed + std::string(1 << 20, '\x80') + "\xC3\xBC";
    large.insert(large.size() / 2, "\xE0\x9F\xBF");
    for (const std::string& text : {mixed, large}) {
        const std::string expected = RepairedUtf8(text);
        std::size_t invalid = 0;
        while (ValidSequenceLength(text.data() + invalid, text.data() + text.size()) > 0) ++invalid;
        // A small block and a large one without room, a large one with room
        // enough: each repaired, kept where it can be, copied where not.
        for (const std::size_t capacity : {text.size(), expected.size() + 5}) {
            platform::LargeBuffer buffer = BufferOf(text, capacity);
            RepairBuffer(buffer, invalid, 4'000'000'000);
            ASSERT_EQ(buffer.Size(), expected.size());
            EXPECT_TRUE(buffer.View() == expected) << text.size() << " " << capacity;
        }
    }
}

}  // namespace
}  // namespace ql

// Every vector unit the processor has finds the same events as the plain
// byte-by-byte classifier, on texts made of the very bytes the events look
// for, at every place in a block and across the blocks' borders.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "query/line_events.h"

namespace ql {
namespace {

bool operator==(const BlockEvents& a, const BlockEvents& b)
{
    return a.Breaks == b.Breaks && a.CrLf == b.CrLf && a.Tags == b.Tags && a.High == b.High &&
           a.Continuations == b.Continuations && a.TwoByteLeads == b.TwoByteLeads;
}

TEST(LineEvents, EveryUnitFindsWhatThePlainOneFinds)
{
    const std::vector<ClassifyBlocks> units = RunnableClassifiers();
    ASSERT_GE(units.size(), 1u);
    // The bytes that matter, a few that border them, and the ends of the byte ranges.
    const std::string alphabet = "\r\n<wpg/dcsx \x7F\x80\xBF\xC0\xC1\xC2\xDF\xE0\xF4\xFF";
    std::mt19937 random(7);
    constexpr std::size_t Blocks = 64;
    for (int round = 0; round < 200; ++round) {
        // One byte before the blocks and the bytes read after them.
        std::string text(1 + Blocks * EventBlockBytes + EventReadsAfter, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        if (round % 2) {  // runs of the texts the scan searches, so that tags are found
            for (std::size_t at = 1; at + 20 < text.size(); at += 1 + random() % 90)
                text.replace(at, 15, random() % 2 ? "<groundspeak:d\n" : "<wpt\r\n</wpt>\r\r\n");
        }
        std::vector<BlockEvents> expected(Blocks);
        units.front()(text.data() + 1, Blocks, expected.data());
        for (std::size_t u = 1; u < units.size(); ++u) {
            std::vector<BlockEvents> found(Blocks);
            units[u](text.data() + 1, Blocks, found.data());
            for (std::size_t b = 0; b < Blocks; ++b)
                ASSERT_TRUE(found[b] == expected[b]) << "unit " << u << " block " << b;
        }
    }
}

TEST(LineEvents, ThePlainUnitMarksEachKindOfByte)
{
    // A byte before, the block, and the bytes after it.
    std::string text = " " + std::string(EventBlockBytes, 'x') + std::string(EventReadsAfter, ' ');
    const auto put = [&](std::size_t at, std::string_view what) { text.replace(1 + at, what.size(), what); };
    put(0, "\n");  // a break at the first byte: the byte before is no CR
    put(3, "\r\n");  // a pair: one break, at its LF
    put(7, "\r");  // a CR alone
    put(10, "<wpt");  // tags
    put(16, "</wpt>");
    put(24, "<groundspeak:state");
    put(44, "<groundspeak:name");  // not one the scan searches
    put(62, "\xC3\xA4");  // a letter at the block's end
    BlockEvents e{};
    RunnableClassifiers().front()(text.data() + 1, 1, &e);
    EXPECT_EQ(e.Breaks, (1ull << 0) | (1ull << 4) | (1ull << 7));
    EXPECT_EQ(e.CrLf, 1ull << 4);
    EXPECT_EQ(e.Tags, (1ull << 10) | (1ull << 16) | (1ull << 24));
    EXPECT_EQ(e.High, (1ull << 62) | (1ull << 63));
    EXPECT_EQ(e.TwoByteLeads, 1ull << 62);
    EXPECT_EQ(e.Continuations, 1ull << 63);
}

}  // namespace
}  // namespace ql

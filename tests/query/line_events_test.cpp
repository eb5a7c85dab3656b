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

}  // namespace
}  // namespace ql

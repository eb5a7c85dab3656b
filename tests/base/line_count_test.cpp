#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/line_count.h"

namespace ql {
namespace {

std::uint64_t Count(const std::string& text)
{
    return CountLineBreaks(text.data(), text.data() + text.size());
}

TEST(LineCount, APairCountsOnceAndALonelyCrCounts)
{
    EXPECT_EQ(Count(""), 0u);
    EXPECT_EQ(Count("a\r\nb\nc\rd"), 3u);
    EXPECT_EQ(Count("\r"), 1u);  // a CR at the end counts
    EXPECT_EQ(Count("\n\r"), 2u);
    // A pair across the 16-byte blocks, and one at the block's last byte.
    EXPECT_EQ(Count(std::string(15, 'x') + "\r\n" + std::string(30, 'y')), 1u);
    EXPECT_EQ(Count(std::string(16, 'x') + "\r" + std::string(16, 'y') + "\r"), 2u);
}

TEST(LineCount, BlocksAndBytesGiveTheSameCountsAsOneByteAtATime)
{
    std::mt19937 rng(19);
    const char alphabet[] = {'\r', '\n', 'a', '<', '\xC3'};
    for (int round = 0; round < 200; ++round) {
        std::string text(rng() % 100, ' ');
        for (char& c : text) c = alphabet[rng() % sizeof alphabet];
        std::uint64_t expected = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            expected += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
        ASSERT_EQ(Count(text), expected) << round;
    }
}

}  // namespace
}  // namespace ql

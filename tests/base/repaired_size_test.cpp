// The repaired size counted over pieces must be the size of the whole text
// repaired at once, wherever the pieces are cut.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/repaired_size.h"
#include "base/utf8.h"

namespace ql {
namespace {

std::uint64_t CountedInPieces(const std::string& text, const std::vector<std::size_t>& cuts)
{
    RepairedSizeCounter counter;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        counter.Add(text.data() + from, cut - from);
        EXPECT_LE(counter.SoFar(), RepairedUtf8Size(text));
        from = cut;
    }
    counter.Add(text.data() + from, text.size() - from);
    EXPECT_EQ(counter.Bytes(), text.size());
    return counter.Total();
}

// Texts with every kind of damage, each next to ASCII runs long enough for
// the block path and near the ends of pieces.
std::vector<std::string> CraftedTexts()
{
    const std::string ascii(37, 'a');
    const std::vector<std::string> parts = {
        "\xEF\xBB\xBF",  // byte-order mark
        "\xC3\xBC",  // ü
        "\xE2\x82\xAC",  // €
        "\xF0\x9F\x98\x80",  // U+1F600
        "\xE2\x82",  // cut before its last byte
        "\xF0\x9F\x98",  // cut before its last byte
        "\xC0\x80",  // overlong
        "\xE0\x9F\xBF",  // overlong
        "\xED\xA0\x80",  // a surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\x80\xBF",  // lone continuation bytes
        std::string(40, '\xFF'),
        "\xC2",  // a lead byte alone
    };
    std::vector<std::string> texts = parts;
    std::mt19937 random(7);
    for (int t = 0; t < 60; ++t) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k) {
            text += parts[random() % parts.size()];
            if (random() % 2) text += ascii.substr(0, random() % ascii.size());
        }
        texts.push_back(text);
    }
    return texts;
}

TEST(RepairedSizeCounter, AnySplitCountsAsTheWholeText)
{
    std::mt19937 random(11);
    for (const std::string& text : CraftedTexts()) {
        const std::uint64_t whole = RepairedUtf8Size(text);
        EXPECT_EQ(CountedInPieces(text, {}), whole);
        // Every single cut, then random cuts into short and empty pieces.
        for (std::size_t cut = 0; cut <= text.size(); ++cut) ASSERT_EQ(CountedInPieces(text, {cut}), whole) << cut;
        for (int round = 0; round < 20; ++round) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = 0; at < text.size();) {
                at += random() % 6;
                cuts.push_back(std::min(at, text.size()));
            }
            ASSERT_EQ(CountedInPieces(text, cuts), whole);
        }
    }
    EXPECT_EQ(RepairedSizeCounter().Total(), 0u);
}

}  // namespace
}  // namespace ql

// The one rule of UTF-8 validity, seen through its users: the sequence check,
// the decoder, the repair, and the repaired size counted over pieces, which
// must be the size of the whole text repaired at once, wherever it is cut.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/repaired_size.h"
#include "base/utf8.h"

namespace ql {
namespace {

std::size_t Length(const std::string& bytes)
{
    return ValidSequenceLength(bytes.data(), bytes.data() + bytes.size());
}

// The decoder's answer for the sequence at the start: its code point and how
// far it moved.
std::pair<char32_t, std::size_t> Decode(const std::string& bytes)
{
    std::size_t i = 0;
    const char32_t cp = NextCodePoint(bytes, i);
    return {cp, i};
}

TEST(Utf8, TheShortestFormsAtEachBoundaryAreValidTheOverlongOnesNot)
{
    EXPECT_EQ(Length("\xC2\x80"), 2u);  // U+0080
    EXPECT_EQ(Length("\xE0\xA0\x80"), 3u);  // U+0800
    EXPECT_EQ(Length("\xF0\x90\x80\x80"), 4u);  // U+10000
    for (const char* overlong :
         {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF"}) {
        EXPECT_EQ(Length(overlong), 0u) << overlong;
        EXPECT_EQ(Decode(overlong), std::make_pair(char32_t{0xFFFD}, std::size_t{1}));
    }
}

TEST(Utf8, SurrogatesAndCodePointsPastTheLastAreInvalid)
{
    EXPECT_EQ(Decode("\xED\x9F\xBF"), std::make_pair(char32_t{0xD7FF}, std::size_t{3}));
    EXPECT_EQ(Length("\xED\xA0\x80"), 0u);  // U+D800
    EXPECT_EQ(Length("\xED\xBF\xBF"), 0u);  // U+DFFF
    EXPECT_EQ(Decode("\xEE\x80\x80"), std::make_pair(char32_t{0xE000}, std::size_t{3}));
    EXPECT_EQ(Decode("\xF4\x8F\xBF\xBF"), std::make_pair(char32_t{0x10FFFF}, std::size_t{4}));
    EXPECT_EQ(Length("\xF4\x90\x80\x80"), 0u);  // U+110000
    for (int lead = 0xF5; lead <= 0xFF; ++lead)
        EXPECT_EQ(Length(std::string(1, static_cast<char>(lead)) + "\x80\x80\x80"), 0u);
}

TEST(Utf8, LoneContinuationBytesAndC0C1LeadsStartNoSequence)
{
    for (int b = 0x80; b <= 0xC1; ++b) {
        const std::string bytes = std::string(1, static_cast<char>(b)) + "\x80";
        EXPECT_EQ(Length(bytes), 0u) << b;
        EXPECT_EQ(Decode(bytes), std::make_pair(char32_t{0xFFFD}, std::size_t{1})) << b;
    }
    EXPECT_EQ(Length("\xC3\x28"), 0u);  // a lead byte without its continuation
}

TEST(Utf8, ASequenceCutByTheEndOfTheBufferIsInvalid)
{
    const std::string text = "ab\xE2\x82\xAC";  // "ab€"
    for (std::size_t cut = 3; cut < text.size(); ++cut) {
        const std::string head = text.substr(0, cut);
        EXPECT_EQ(ValidSequenceLength(head.data() + 2, head.data() + head.size()), 0u) << cut;
        std::size_t i = 2;
        EXPECT_EQ(NextCodePoint(head, i), 0xFFFDu);
        EXPECT_EQ(i, 3u);
    }
    EXPECT_EQ(RepairedUtf8("ab\xE2\x82"), "ab\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(RepairedUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(RepairedUtf8(text), text);
}

TEST(Utf8, DecoderAndCheckAgreeOnEveryTwoAndThreeByteSequence)
{
    for (int a = 0xC0; a <= 0xFF; ++a) {
        for (int b = 0x00; b <= 0xFF; ++b) {
            for (int c : {0x00, 0x80, 0xBF, 0xC0}) {
                const std::string bytes{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
                const std::size_t length = Length(bytes);
                const auto [cp, moved] = Decode(bytes);
                if (length == 0) {
                    ASSERT_EQ(cp, 0xFFFDu) << a << " " << b << " " << c;
                    ASSERT_EQ(moved, 1u);
                } else {
                    ASSERT_EQ(moved, length) << a << " " << b << " " << c;
                    std::string encoded;
                    AppendUtf8(encoded, cp);
                    ASSERT_EQ(encoded, bytes.substr(0, length));
                }
            }
        }
    }
}

TEST(Utf8, RepairInPlaceKeepsValidTextAndMarksEachStrayByte)
{
    std::string valid = "Gr\xC3\xBC\xC3\x9F aus M\xC3\xBCnchen, " + std::string(40, 'x') + "\xF0\x9F\x98\x80";
    const std::string before = valid;
    RepairUtf8(valid);
    EXPECT_EQ(valid, before);
    std::string damaged = std::string(20, 'a') + "\xFF" + "b\xC3";
    RepairUtf8(damaged);
    EXPECT_EQ(damaged, std::string(20, 'a') + "\xEF\xBF\xBD" + "b\xEF\xBF\xBD");
}

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

#include <gtest/gtest.h>

#include "scan/text_cut.h"

namespace ql {
namespace {

TEST(CutValue, TakesTheTextBetweenTheTagsForEachSearchStart)
{
    for (SearchFrom from : {SearchFrom::LineStart, SearchFrom::LastOfOpen, SearchFrom::AfterOpen})
        EXPECT_EQ(CutValue("    <name>GC1ABCD</name>", "<name>", "</name>", from), "GC1ABCD");
    // Values stay as they stand: no decoding, no trimming.
    EXPECT_EQ(CutValue("<urlname> Fuchs &amp; Hase </urlname>", "<urlname>", "</urlname>", SearchFrom::LineStart),
              " Fuchs &amp; Hase ");
    EXPECT_EQ(CutValue("<wpt lat=\"49.5\" lon=\"7.25\">", "lon=\"", "\"", SearchFrom::AfterOpen), "7.25");
}

TEST(CutValue, WhereTheClosingSearchStartsDecidesTheValue)
{
    // The closing text inside the opening text: lat=" ends in a quote, so a
    // search from its last character finds that quote and gives nothing,
    // and a search from the line start finds the quote of an earlier attribute.
    const std::string_view line = "<wpt x=\"1\" lat=\"49.5\" lon=\"7\">";
    EXPECT_EQ(CutValue(line, "lat=\"", "\"", SearchFrom::AfterOpen), "49.5");
    EXPECT_EQ(CutValue(line, "lat=\"", "\"", SearchFrom::LastOfOpen), "");
    EXPECT_EQ(CutValue(line, "lat=\"", "\"", SearchFrom::LineStart), "");
    // A closing text before the opening one counts only from the line start.
    EXPECT_EQ(CutValue("</a>x<a>y</a>", "<a>", "</a>", SearchFrom::LineStart), "");
    EXPECT_EQ(CutValue("</a>x<a>y</a>", "<a>", "</a>", SearchFrom::AfterOpen), "y");
}

TEST(CutValue, MissingTagsFollowThePositionArithmetic)
{
    EXPECT_EQ(CutValue("<name>GC1</nam>", "<name>", "</name>", SearchFrom::LineStart), "");
    EXPECT_EQ(CutValue("<name></name>", "<name>", "</name>", SearchFrom::LineStart), "");
    EXPECT_EQ(CutValue("", "<name>", "</name>", SearchFrom::LineStart), "");
    // Without the opening text the value starts at character |O| (1-based) and
    // ends before the closing text: "abcdefgh</name>" gives "fgh".
    EXPECT_EQ(CutValue("abcdefgh</name>", "<name>", "</name>", SearchFrom::LineStart), "fgh");
    // ... counted in characters, not bytes: each "ü" is one character.
    EXPECT_EQ(CutValue("üüüüüüfgh</name>", "<name>", "</name>", SearchFrom::LineStart), "üfgh");
    EXPECT_EQ(CutValue("abc</name>", "<name>", "</name>", SearchFrom::LineStart), "");
}

TEST(CodePoints, CountAndShortenByCharactersNotBytes)
{
    EXPECT_EQ(CodePointCount(""), 0u);
    EXPECT_EQ(CodePointCount("4.5"), 3u);
    EXPECT_EQ(CodePointCount("ü"), 1u);  // two bytes, one character
    EXPECT_EQ(CodePointCount("€1"), 2u);

    EXPECT_EQ(DropLastCodePoints("2011-05-24T07:00:00Z", 10), "2011-05-24");
    EXPECT_EQ(DropLastCodePoints("short", 10), "");
    EXPECT_EQ(DropLastCodePoints("2011-05-24Tüüüüüüüüü", 10), "2011-05-24");
}

}  // namespace
}  // namespace ql

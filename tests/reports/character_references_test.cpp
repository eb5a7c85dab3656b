#include <gtest/gtest.h>

#include "reports/character_references.h"
#include "reports/placemark_text.h"

namespace ql {
namespace {

TEST(CharacterReferences, DecodesNamedAndNumericReferencesOnce)
{
    EXPECT_EQ(DecodeCharacterReferences("Fish &amp; Chips"), "Fish & Chips");
    EXPECT_EQ(DecodeCharacterReferences("&lt;b&gt; &quot;x&quot; &apos;y&apos;"), "<b> \"x\" 'y'");
    EXPECT_EQ(DecodeCharacterReferences("&amp;lt;"), "&lt;");
    EXPECT_EQ(DecodeCharacterReferences("Gr&#252;n &#xDF;&#X41;"),
              "Gr\xC3\xBCn \xC3\x9F"
              "A");
    EXPECT_EQ(DecodeCharacterReferences("&#128512;"), "\xF0\x9F\x98\x80");
}

TEST(CharacterReferences, LeavesOtherAmpersandsAndRepairsNoCharacters)
{
    EXPECT_EQ(DecodeCharacterReferences("A & B; C"), "A & B; C");
    EXPECT_EQ(DecodeCharacterReferences("&nbsp; &; &#; &#x; &#12a;"), "&nbsp; &; &#; &#x; &#12a;");
    EXPECT_EQ(DecodeCharacterReferences("trailing &amp"), "trailing &amp");
    EXPECT_EQ(DecodeCharacterReferences(""), "");
}

TEST(CharacterReferences, ANumberNamingNoCharacterReadsTheSameInEveryText)
{
    const std::string replacement = "\xEF\xBF\xBD";
    for (const char* reference :
         {"&#0;", "&#x0;", "&#xD800;", "&#57343;", "&#x110000;", "&#99999999;", "&#xFFFFFFFF;"}) {
        EXPECT_EQ(DecodeCharacterReferences(reference), replacement) << reference;
        EXPECT_EQ(DecodeQueryText(reference), replacement) << reference;
    }
    // Nine digits are no reference: kept as written.
    EXPECT_EQ(DecodeCharacterReferences("&#123456789;"), "&#123456789;");
    EXPECT_EQ(DecodeQueryText("&#123456789;"), "&#123456789;");
    // A real character XML cannot hold is the placemark text's own business.
    EXPECT_EQ(DecodeCharacterReferences("&#1;"), "\x01");
    EXPECT_EQ(DecodeQueryText("&#1;&#xFFFE;"), "??");
}

TEST(CharacterReferences, AReferenceIsFoundWhereItStartsWithItsLength)
{
    const auto at = CharacterReferenceAt("x &#xE4; y", 2);
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->Character, U'\u00E4');
    EXPECT_EQ(at->Length, 6u);
    EXPECT_FALSE(CharacterReferenceAt("&amp", 0).has_value());
    EXPECT_FALSE(CharacterReferenceAt("&averyveryfarsemicolon;", 0).has_value());
}

}  // namespace
}  // namespace ql

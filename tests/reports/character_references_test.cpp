#include <gtest/gtest.h>

#include "reports/character_references.h"

namespace ql {
namespace {

TEST(CharacterReferences, DecodesNamedAndNumericReferencesOnce)
{
    EXPECT_EQ(DecodeCharacterReferences("Fish &amp; Chips"), "Fish & Chips");
    EXPECT_EQ(DecodeCharacterReferences("&lt;b&gt; &quot;x&quot; &apos;y&apos;"), "<b> \"x\" 'y'");
    EXPECT_EQ(DecodeCharacterReferences("&amp;lt;"), "&lt;");
    EXPECT_EQ(DecodeCharacterReferences("Gr&#252;n &#xDF;&#X41;"), "Gr\xC3\xBCn \xC3\x9F" "A");
    EXPECT_EQ(DecodeCharacterReferences("&#128512;"), "\xF0\x9F\x98\x80");
}

TEST(CharacterReferences, LeavesOtherAmpersandsAndRepairsNoCharacters)
{
    EXPECT_EQ(DecodeCharacterReferences("A & B; C"), "A & B; C");
    EXPECT_EQ(DecodeCharacterReferences("&nbsp; &; &#; &#x; &#12a;"), "&nbsp; &; &#; &#x; &#12a;");
    EXPECT_EQ(DecodeCharacterReferences("trailing &amp"), "trailing &amp");
    EXPECT_EQ(DecodeCharacterReferences("&#0;&#xD800;&#x110000;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(DecodeCharacterReferences(""), "");
}

}  // namespace
}  // namespace ql

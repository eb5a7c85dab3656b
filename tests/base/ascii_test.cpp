// ASCII case folding: letters only, never a byte of a UTF-8 sequence.

#include <gtest/gtest.h>

#include "base/ascii.h"

namespace ql {
namespace {

TEST(AsciiCase, FoldsLettersAndLeavesEveryOtherByte)
{
    EXPECT_EQ(AsciiUpper("Cache In Trash Out Event"), "CACHE IN TRASH OUT EVENT");
    EXPECT_EQ(AsciiLower("QUERY.ZIP"), "query.zip");
    // The neighbours of the letter ranges stay: @ [ ` {.
    EXPECT_EQ(AsciiUpper("@[`{az"), "@[`{AZ");
    EXPECT_EQ(AsciiLower("@[`{AZ"), "@[`{az");
    // "Größe" in UTF-8 and a Windows-1252 byte keep their bytes.
    EXPECT_EQ(AsciiUpper("Gr\xC3\xB6\xC3\x9F" "e \xE4"), "GR\xC3\xB6\xC3\x9F" "E \xE4");
    EXPECT_EQ(AsciiLower("\xC3\x84\xC3\x96X"), "\xC3\x84\xC3\x96x");
    EXPECT_EQ(AsciiUpper(""), "");
}

}  // namespace
}  // namespace ql

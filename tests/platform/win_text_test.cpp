// Conversion between UTF-8 and the ANSI code page through the Windows API.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/win_support.h"

namespace ql {
namespace {

TEST(WinAnsiText, Windows1252BothWays)
{
    if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << ::GetACP() << ", not Windows-1252";
    EXPECT_EQ(platform::Utf8ToAnsi("Grüße aus Zweibrücken, ÄÖÜ äöü ß"),
              "Gr\xFC\xDF" "e aus Zweibr\xFC" "cken, \xC4\xD6\xDC \xE4\xF6\xFC \xDF");
    EXPECT_EQ(platform::Utf8ToAnsi("5 €"), "5 \x80");
    // A character the code page lacks becomes a question mark.
    EXPECT_EQ(platform::Utf8ToAnsi("日本"), "??");
    EXPECT_EQ(platform::Utf8ToAnsi(""), "");

    EXPECT_EQ(platform::AnsiToUtf8("Gr\xFC\xDF" "e \x80 \xC4"), "Grüße € Ä");
    EXPECT_EQ(platform::AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));  // nulls are text too
    EXPECT_EQ(platform::AnsiToUtf8(""), "");
}

}  // namespace
}  // namespace ql

#endif  // _WIN32

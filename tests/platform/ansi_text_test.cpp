// The ANSI code page outside Windows: Windows-1252, byte by byte, both ways.

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "base/utf8.h"
#include "platform/platform.h"

namespace ql {
namespace {

struct Cp1252Row {
    unsigned char byte;
    char32_t codePoint;
    const char* utf8;
};

// The 27 characters that Windows-1252 puts at 0x80..0x9F.
constexpr Cp1252Row DefinedHigh[] = {
    {0x80, 0x20AC, "\xE2\x82\xAC"},  // euro sign
    {0x82, 0x201A, "\xE2\x80\x9A"},  // single low-9 quotation mark
    {0x83, 0x0192, "\xC6\x92"},      // f with hook
    {0x84, 0x201E, "\xE2\x80\x9E"},  // double low-9 quotation mark
    {0x85, 0x2026, "\xE2\x80\xA6"},  // horizontal ellipsis
    {0x86, 0x2020, "\xE2\x80\xA0"},  // dagger
    {0x87, 0x2021, "\xE2\x80\xA1"},  // double dagger
    {0x88, 0x02C6, "\xCB\x86"},      // modifier circumflex
    {0x89, 0x2030, "\xE2\x80\xB0"},  // per mille sign
    {0x8A, 0x0160, "\xC5\xA0"},      // S with caron
    {0x8B, 0x2039, "\xE2\x80\xB9"},  // single left-pointing angle quotation mark
    {0x8C, 0x0152, "\xC5\x92"},      // ligature OE
    {0x8E, 0x017D, "\xC5\xBD"},      // Z with caron
    {0x91, 0x2018, "\xE2\x80\x98"},  // left single quotation mark
    {0x92, 0x2019, "\xE2\x80\x99"},  // right single quotation mark
    {0x93, 0x201C, "\xE2\x80\x9C"},  // left double quotation mark
    {0x94, 0x201D, "\xE2\x80\x9D"},  // right double quotation mark
    {0x95, 0x2022, "\xE2\x80\xA2"},  // bullet
    {0x96, 0x2013, "\xE2\x80\x93"},  // en dash
    {0x97, 0x2014, "\xE2\x80\x94"},  // em dash
    {0x98, 0x02DC, "\xCB\x9C"},      // small tilde
    {0x99, 0x2122, "\xE2\x84\xA2"},  // trade mark sign
    {0x9A, 0x0161, "\xC5\xA1"},      // s with caron
    {0x9B, 0x203A, "\xE2\x80\xBA"},  // single right-pointing angle quotation mark
    {0x9C, 0x0153, "\xC5\x93"},      // ligature oe
    {0x9E, 0x017E, "\xC5\xBE"},      // z with caron
    {0x9F, 0x0178, "\xC5\xB8"},      // Y with diaeresis
};

// The five bytes the code page leaves undefined stand for the C1 control
// character of the same number, as on Windows.
constexpr Cp1252Row UndefinedHigh[] = {
    {0x81, 0x0081, "\xC2\x81"}, {0x8D, 0x008D, "\xC2\x8D"}, {0x8F, 0x008F, "\xC2\x8F"},
    {0x90, 0x0090, "\xC2\x90"}, {0x9D, 0x009D, "\xC2\x9D"},
};

std::string Byte(unsigned char b)
{
    return std::string(1, static_cast<char>(b));
}

void ExpectBothWays(const Cp1252Row& row)
{
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(row.byte));
    std::size_t at = 0;
    ASSERT_EQ(NextCodePoint(row.utf8, at), row.codePoint);  // the table itself
    EXPECT_EQ(platform::AnsiToUtf8(Byte(row.byte)), row.utf8);
    EXPECT_EQ(platform::Utf8ToAnsi(row.utf8), Byte(row.byte));
}

TEST(AnsiCodePage, TheTwentySevenCharactersOf0x80To0x9F)
{
    ASSERT_EQ(std::size(DefinedHigh), 27u);
    for (const Cp1252Row& row : DefinedHigh) ExpectBothWays(row);
}

TEST(AnsiCodePage, TheFiveUndefinedBytesSurviveTheRoundTrip)
{
    for (const Cp1252Row& row : UndefinedHigh) ExpectBothWays(row);
}

TEST(AnsiCodePage, LatinOneAsItStandsAndOtherCharactersAsQuestionMarks)
{
    EXPECT_EQ(platform::AnsiToUtf8("Gr\xFC\xDF" "e \xA0\xB0\xFF"), "Gr\xC3\xBC\xC3\x9F" "e \xC2\xA0\xC2\xB0\xC3\xBF");
    EXPECT_EQ(platform::Utf8ToAnsi("Gr\xC3\xBC\xC3\x9F" "e \xC2\xA0\xC2\xB0\xC3\xBF"), "Gr\xFC\xDF" "e \xA0\xB0\xFF");
    // Not in the code page: A with macron, Cyrillic Zhe, the rupee sign, an emoji.
#ifdef _WIN32
    // Windows converts as its own programs do: A with macron by best fit, one
    // "?" per UTF-16 unit of the emoji.
    EXPECT_EQ(platform::Utf8ToAnsi("\xC4\x80|\xD0\x96|\xE2\x82\xB9|\xF0\x9F\x98\x80"), "A|?|?|??");
#else
    EXPECT_EQ(platform::Utf8ToAnsi("\xC4\x80|\xD0\x96|\xE2\x82\xB9|\xF0\x9F\x98\x80"), "?|?|?|?");
#endif
    EXPECT_EQ(platform::AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace ql

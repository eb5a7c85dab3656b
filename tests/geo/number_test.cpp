#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/user_error.h"
#include "geo/number.h"

namespace ql {
namespace {

std::string ErrorOf(std::string_view text)
{
    try {
        ParseDecimal(text);
    } catch (const UserError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ParseDecimal, ReadsTheNumberFormsOfQueryAndPolygonFiles)
{
    EXPECT_EQ(ParseDecimal("49.5"), 49.5);
    EXPECT_EQ(ParseDecimal("-7.25"), -7.25);
    EXPECT_EQ(ParseDecimal("+7.25"), 7.25);
    EXPECT_EQ(ParseDecimal("8"), 8.0);
    EXPECT_EQ(ParseDecimal("1.5E2"), 150.0);
    EXPECT_EQ(ParseDecimal("1.5e-2"), 0.015);
    EXPECT_EQ(ParseDecimal("25e+1"), 250.0);
    EXPECT_EQ(ParseDecimal(".5"), 0.5);
    EXPECT_EQ(ParseDecimal("5."), 5.0);
    EXPECT_EQ(ParseDecimal("-.5"), -0.5);
    // Correctly rounded, like the literal.
    EXPECT_EQ(ParseDecimal("49.123456"), 49.123456);
    EXPECT_EQ(ParseDecimal("50.027957575031940"), 50.027957575031940);
    // Blanks around the number are ignored.
    EXPECT_EQ(ParseDecimal(" 49.5 "), 49.5);
    EXPECT_EQ(ParseDecimal("   -1e3"), -1000.0);
}

TEST(ParseDecimal, RejectsEverythingElseWithTheOriginalText)
{
    EXPECT_EQ(ErrorOf("49,5"), "'49,5' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(ErrorOf(" 4 9 "), "' 4 9 ' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(ErrorOf(""), "'' ist kein gültiger Gleitkommawert");
    for (const char* bad : {"   ", "1.2.3", "inf", "-infinity", "nan", "NAN", "0x1p3", "0x10", "1e", "1e+", "e5", ".",
                            "-", "+", "+-1", "--1", "1-", "1e5.0", "1,0e3", "49.5N", "\xC2\xA0" "1", "1\n", "\t49.5", "١"}) {
        EXPECT_EQ(ErrorOf(bad), "'" + std::string(bad) + "' ist kein gültiger Gleitkommawert") << bad;
    }
}

TEST(ParseDecimal, TooLargeIsAnErrorTooSmallIsZero)
{
    EXPECT_EQ(ErrorOf("1e400"), "'1e400' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(ErrorOf("-0.01e311"), "'-0.01e311' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(ParseDecimal("1.7976931348623157e308"), 1.7976931348623157e308);
    EXPECT_EQ(ParseDecimal("1e-400"), 0.0);
    EXPECT_EQ(ParseDecimal("0e999999999999"), 0.0);
    EXPECT_EQ(ParseDecimal("0.000001e-999999999999"), 0.0);
    EXPECT_TRUE(std::signbit(ParseDecimal("-1e-400")));
    EXPECT_TRUE(std::signbit(ParseDecimal("-0")));
}

}  // namespace
}  // namespace ql

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <random>
#include <string>

#include "base/user_error.h"
#include "geo/coord_text.h"

namespace ql {
namespace {

TEST(CoordText, HemisphereDegreesAndMinutes)
{
    struct Case {
        const char* value;
        int kind;
        const char* text;
    };
    const Case cases[] = {
        {"49.5", 1, "N 049\xC2\xB0 30.000"},
        {"7.25", 2, "E 007\xC2\xB0 15.000"},
        {"49.123456", 1, "N 049\xC2\xB0 07.407"},
        {"8.0015", 2, "E 008\xC2\xB0 00.090"},
        {"0", 1, "N 000\xC2\xB0 00.000"},
        {"123.75", 2, "E 123\xC2\xB0 45.000"},
        {"-0.5", 1, "S 000\xC2\xB0 30.000"},
        {"-7.25", 2, "W 007\xC2\xB0 15.000"},
        {"6.999995", 2, "E 006\xC2\xB0 60.000"},  // minutes round up to 60, degrees stay
        {"49.5", 3, "049\xC2\xB0 30.000"},        // other kinds have no hemisphere
        {"-49.5", 0, "049\xC2\xB0 30.000"},
        {" 49.5 ", 1, "N 049\xC2\xB0 30.000"},
        {"1234.5", 2, "E 1234\xC2\xB0 30.000"},  // more than three digits stay
        {"-0", 1, "N 000\xC2\xB0 00.000"},
        {"1e-9", 1, "N 000\xC2\xB0 00.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoordText(c.value, c.kind), c.text) << c.value << " kind " << c.kind;
        EXPECT_EQ(CoordText(std::stod(c.value), c.kind), c.text) << c.value << " kind " << c.kind << " converted";
    }
}

// A value converted before gives the text its decimal text gives (the table
// above checks its edges converted too).
TEST(CoordText, FromAConvertedValue)
{
    std::mt19937_64 random(20250601);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    for (int i = 0; i < 5000; ++i) {
        char value[64];
        std::snprintf(value, sizeof value, "%.*f", 1 + i % 12, degrees(random));
        ASSERT_EQ(CoordText(std::stod(value), 1 + i % 2), CoordText(value, 1 + i % 2)) << value;
    }
}

TEST(CoordText, BadNumberRaisesTheConversionError)
{
    try {
        CoordText("49,5", 1);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "'49,5' ist kein gültiger Gleitkommawert");
    }
}

// The minutes must read exactly as the C library's "%6.3f" in the C locale,
// rounding included, and must not follow a locale with a decimal comma.
TEST(CoordText, MinutesMatchPrintfAndIgnoreTheLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(CoordText("49.123456", 1), "N 049\xC2\xB0 07.407");
    std::setlocale(LC_NUMERIC, "C");

    std::mt19937_64 random(20110524);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    for (int i = 0; i < 20000; ++i) {
        char value[64];
        std::snprintf(value, sizeof value, "%.*f", 1 + i % 9, degrees(random));
        const std::string text = CoordText(value, 1);
        const double v = std::stod(value);
        const double a = v < 0 ? -v : v;
        const double d = static_cast<double>(static_cast<long long>(a));
        char minutes[32];
        std::snprintf(minutes, sizeof minutes, "%6.3f", (a - d) * 60);
        std::string expected = minutes;
        for (char& c : expected) c = c == ' ' ? '0' : c;
        ASSERT_EQ(text.substr(text.size() - 6), expected) << value;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!german) GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed; the locale half ran in the C locale";
}

// The minutes "%6.3f" gives, blanks as zeros.
std::string PrintedMinutes(double minutes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%6.3f", minutes);
    std::string expected = text;
    for (char& c : expected) c = c == ' ' ? '0' : c;
    return expected;
}

// Minutes next to a half of a thousandth, where the rounding turns, and
// minutes exactly on one (sixteenths): as "%6.3f" rounds them.
TEST(CoordText, MinutesRoundAsPrintfNextToAHalfThousandth)
{
    const auto check = [](double value) {
        const double minutes = (value - 49) * 60;
        const std::string text = CoordText(value, 1);
        ASSERT_EQ(text.substr(text.size() - 6), PrintedMinutes(minutes)) << value;
    };
    for (int k = 0; k < 60'000; k += 7) {
        double value = 49 + (k + 0.5) / 1000 / 60;
        for (int step = 0; step < 3; ++step) value = std::nextafter(value, 0.0);
        for (int step = 0; step < 7; ++step, value = std::nextafter(value, 100.0)) check(value);
    }
    int ties = 0;
    for (int sixteenths = 1; sixteenths < 60 * 16; sixteenths += 2) {
        // A value whose minutes come out as exactly this many sixteenths, if one does.
        double value = 49 + sixteenths / 16.0 / 60;
        for (int step = 0; step < 8; ++step) value = std::nextafter(value, 0.0);
        for (int step = 0; step < 16; ++step, value = std::nextafter(value, 100.0)) {
            if ((value - 49) * 60 != sixteenths / 16.0) continue;
            ++ties;
            check(value);
        }
    }
    EXPECT_GT(ties, 20);
}

}  // namespace
}  // namespace ql

// The home point in the forms players type it, and the texts refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "planner/home_point.h"
#include "support/error_of.h"

namespace ql {
namespace {

struct HomeCase {
    const char* text;
    double lat, lon;
};

TEST(HomePoint, SiteFormAndDecimalDegreesAreRead)
{
    const HomeCase cases[] = {
        {"N 49° 59.123 E 008° 15.456", 49 + 59.123 / 60, 8 + 15.456 / 60},  // as the site writes it
        {"N49 59.123 E8 15.456", 49 + 59.123 / 60, 8 + 15.456 / 60},  // without degree signs
        {"n 49° 59.123, o 8° 15.456", 49 + 59.123 / 60, 8 + 15.456 / 60},  // "O" for Ost, a comma between
        {"S 33° 51.000 W 070° 30.000", -(33 + 51.0 / 60), -(70 + 30.0 / 60)},
        {"49.98538, 8.25760", 49.98538, 8.2576},
        {"  49.98538 8.25760  ", 49.98538, 8.2576},
        {"-33.85 -70.5", -33.85, -70.5},
        {"N 49.98538 E 8.25760", 49.98538, 8.2576},
        // A decimal comma, as a German keyboard writes it; a comma between the numbers stays a separator.
        {"49,5 8,25", 49.5, 8.25},
        {"49,5; 8,25", 49.5, 8.25},
        {"N 49,5 E 8,25", 49.5, 8.25},
        {"N 49° 59,123 E 008° 15,456", 49 + 59.123 / 60, 8 + 15.456 / 60},
        {"50,7", 50, 7},
    };
    for (const HomeCase& c : cases) {
        SCOPED_TRACE(c.text);
        const TFPoint p = ParseHomePoint(c.text);
        EXPECT_NEAR(p.X, c.lat, 1e-9);
        EXPECT_NEAR(p.Y, c.lon, 1e-9);
    }
    EXPECT_EQ(HomePointText(ParseHomePoint("N 49° 59.123 E 008° 15.456")), "N 049° 59.123 E 008° 15.456");
}

TEST(HomePoint, AnythingElseIsRefusedWithTheFormsThatWork)
{
    for (const char* bad : {"", "Mainz", "49,98538", "N 49° 60.000 E 008° 15.456", "E 008° 15.456 N 49° 59.123",
                            "N 49.5° 59.123 E 008° 15.456", "91.0, 8.0", "49.9, 181", "49.9 8.2 7.1", "N 49° 59.123",
                            "49.9x, 8.2", "N -49 E 8"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(test::ErrorOf([&] { ParseHomePoint(bad); }),
                  "Der Heimatpunkt \"" + std::string(bad) +
                      "\" ist keine gültige Koordinate. Erlaubt sind zum Beispiel \"N 49° 59.123 E 008° 15.456\" "
                      "und \"49.98538, 8.25760\".");
    }
}

TEST(HomePoint, MinutesThatRoundTo60CarryIntoTheDegree)
{
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"49.999995, 8.25", "N 050° 00.000 E 008° 15.000"},
        {"N 49 59.9998 E 8 1", "N 050° 00.000 E 008° 01.000"},
        {"-89.9999999, 179.9999999", "S 090° 00.000 E 180° 00.000"},
        {"-0.0000001, -0.0000001", "N 000° 00.000 E 000° 00.000"},  // rounds to zero: no southern zero
        {"S 33° 51.0004 W 070° 29.9996", "S 033° 51.000 W 070° 30.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(HomePointText(ParseHomePoint(c.typed)), c.written);
        EXPECT_EQ(HomePointText(ParseHomePoint(c.written)), c.written);
    }
}

// What the planner writes back is read at the next start: for points all over
// the globe, and many just below a whole minute, the text reads back within
// its rounding and writes back the same.
TEST(HomePoint, WrittenTextReadsBackAsTheSamePoint)
{
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> latitude(-90.0, 90.0), longitude(-180.0, 180.0);
    std::uniform_int_distribution<int> minute(0, 60 * 180 - 1);
    std::uniform_real_distribution<double> below(0.0, 1e-6);
    constexpr double Rounding = 0.5 / 60000.0 + 1e-12;
    int failures = 0;
    for (int i = 0; i < 200000 && failures < 5; ++i) {
        TFPoint p{latitude(random), longitude(random)};
        if (i % 2) {
            // Just below a whole minute, where the minutes round up to the next.
            p.X = std::copysign(std::min(90.0, minute(random) % (60 * 90) / 60.0 + 1.0 / 60 - below(random)), p.X);
            p.Y = std::copysign(std::min(180.0, minute(random) / 60.0 + 1.0 / 60 - below(random)), p.Y);
        }
        const std::string text = HomePointText(p);
        TFPoint back;
        try {
            back = ParseHomePoint(text);
        } catch (const UserError& e) {
            ADD_FAILURE() << p.X << ", " << p.Y << " written as " << text << ": " << e.what();
            ++failures;
            continue;
        }
        if (std::abs(back.X - p.X) > Rounding || std::abs(back.Y - p.Y) > Rounding || HomePointText(back) != text) {
            ADD_FAILURE() << p.X << ", " << p.Y << " written as " << text << ", read back as " << back.X << ", "
                          << back.Y << " written as " << HomePointText(back);
            ++failures;
        }
    }
}

TEST(HomePoint, GreatCircleDistanceMatchesKnownValues)
{
    // One minute of latitude is one nautical mile, near enough.
    EXPECT_NEAR(GreatCircleMetres({50.0, 7.0}, {50.0 + 1.0 / 60, 7.0}), 1853.2, 1.0);
    // Mainz cathedral to Trier's Porta Nigra, some 125 km.
    EXPECT_NEAR(GreatCircleMetres({49.9990, 8.2740}, {49.7597, 6.6440}) / 1000.0, 119.5, 1.0);
}

}  // namespace
}  // namespace ql

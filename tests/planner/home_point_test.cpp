// The home point in the forms players type it, and the texts refused.

#include <gtest/gtest.h>

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

TEST(HomePoint, GreatCircleDistanceMatchesKnownValues)
{
    // One minute of latitude is one nautical mile, near enough.
    EXPECT_NEAR(GreatCircleMetres({50.0, 7.0}, {50.0 + 1.0 / 60, 7.0}), 1853.2, 1.0);
    // Mainz cathedral to Trier's Porta Nigra, some 125 km.
    EXPECT_NEAR(GreatCircleMetres({49.9990, 8.2740}, {49.7597, 6.6440}) / 1000.0, 119.5, 1.0);
}

}  // namespace
}  // namespace ql

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "base/user_error.h"
#include "districts/district_map.h"

namespace ql {
namespace {

TPolyArray Square(double x0, double y0, double size)
{
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}};
}

class AssignDistrictTest : public ::testing::Test {
protected:
    DistrictMap districts;

    void SetUp() override
    {
        districts.SetPolygon(5, Square(49.0, 7.0, 1.0));   // a Landkreis
        districts.SetPolygon(30, Square(49.4, 7.2, 0.2));  // a Stadtkreis inside it
    }
};

TEST_F(AssignDistrictTest, LowerIndexWinsOutsideIsNone)
{
    EXPECT_EQ(AssignDistrict(districts, "49.5", "7.25"), std::optional<int>(5));
    EXPECT_EQ(AssignDistrict(districts, " 49.5 ", "7.25"), std::optional<int>(5));
    EXPECT_EQ(AssignDistrict(districts, "51.0", "7.25"), std::nullopt);
    EXPECT_EQ(AssignDistrict(districts, "-49.5", "7.25"), std::nullopt);

    const DistrictMap empty;  // no polygon loaded at all
    EXPECT_EQ(AssignDistrict(empty, "49.5", "7.25"), std::nullopt);
}

TEST_F(AssignDistrictTest, BadTextThrowsTheNumberError)
{
    for (auto [lat, lon] : {std::pair{"49,5", "7.25"}, std::pair{"49.5", "7,25"}, std::pair{"49.5", ""}}) {
        try {
            AssignDistrict(districts, lat, lon);
            ADD_FAILURE() << "no error for " << lat << " " << lon;
        } catch (const UserError& e) {
            const std::string bad = std::string(lat) == "49.5" ? lon : lat;
            EXPECT_EQ(e.what(), "'" + bad + "' ist kein gültiger Gleitkommawert");
        }
    }
}

TEST_F(AssignDistrictTest, IndexFollowsEveryChangeOfThePolygons)
{
    districts.SetPolygon(5, {});  // the Landkreis emptied: the Stadtkreis now wins
    EXPECT_EQ(AssignDistrict(districts, "49.5", "7.25"), std::optional<int>(30));
    EXPECT_TRUE(districts[5].empty());

    districts.SetPolygon(2, Square(40.0, 0.0, 1.0));
    EXPECT_EQ(AssignDistrict(districts, "40.5", "0.5"), std::optional<int>(2));
    EXPECT_EQ(districts[2].size(), 4u);
    districts.SetPolygon(30, {});
    EXPECT_EQ(AssignDistrict(districts, "49.5", "7.25"), std::nullopt);

    EXPECT_THROW(districts.SetPolygon(36, {}), UserError);
    EXPECT_THROW(districts.SetPolygon(-1, {}), UserError);
}

}  // namespace
}  // namespace ql

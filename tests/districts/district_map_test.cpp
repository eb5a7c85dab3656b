#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/user_error.h"
#include "core/tables.h"
#include "districts/district_map.h"

namespace ql {
namespace {

TPolyArray Square(double x0, double y0, double size)
{
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}};
}

class DistrictMapTest : public ::testing::Test {
protected:
    DistrictMap districts;

    void SetUp() override
    {
        districts.SetPolygon(5, Square(49.0, 7.0, 1.0));  // a Landkreis
        districts.SetPolygon(30, Square(49.4, 7.2, 0.2));  // a Stadtkreis inside it
    }
};

TEST_F(DistrictMapTest, LowerIndexWinsOutsideIsNone)
{
    EXPECT_EQ(districts.Find({49.5, 7.25}), std::optional<int>(5));
    EXPECT_EQ(districts.Find({51.0, 7.25}), std::nullopt);
    EXPECT_EQ(districts.Find({-49.5, 7.25}), std::nullopt);

    const DistrictMap empty;  // no polygon loaded at all
    EXPECT_EQ(empty.Find({49.5, 7.25}), std::nullopt);
}

TEST_F(DistrictMapTest, IndexFollowsEveryChangeOfThePolygons)
{
    districts.SetPolygon(5, {});  // the Landkreis emptied: the Stadtkreis now wins
    EXPECT_EQ(districts.Find({49.5, 7.25}), std::optional<int>(30));
    EXPECT_TRUE(districts[5].empty());

    districts.SetPolygon(2, Square(40.0, 0.0, 1.0));
    EXPECT_EQ(districts.Find({40.5, 0.5}), std::optional<int>(2));
    EXPECT_EQ(districts[2].size(), 4u);
    districts.SetPolygon(30, {});
    EXPECT_EQ(districts.Find({49.5, 7.25}), std::nullopt);

    EXPECT_THROW(districts.SetPolygon(36, {}), UserError);
    EXPECT_THROW(districts.SetPolygon(-1, {}), UserError);
}

TEST(DistrictFolder, ReadsEveryDistrictInOrderAndKeepsThoseReadBeforeAFailure)
{
    const std::string folder = std::string(QL_DATA_DIR) + "/rlp_polygons/";
    DistrictMap districts;
    std::vector<int> order;
    LoadDistrictFolder(districts, folder, [&](int district, const std::string& path) {
        EXPECT_EQ(path, PolygonFilePath(folder, district));
        order.push_back(district);
    });
    ASSERT_EQ(order.size(), static_cast<std::size_t>(DistrictCount));
    for (int i = 0; i < DistrictCount; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
        EXPECT_FALSE(districts[i].empty()) << DistrictNames[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(PolygonFilePath("/p/", 19), "/p/Suedliche Weinstrasse.txt");

    // The folder gone after the third file: the first three stay, the rest as they were.
    DistrictMap partial;
    int seen = 0;
    EXPECT_THROW(LoadDistrictFolder(partial, folder,
                                    [&](int, const std::string&) {
                                        if (++seen == 4) throw UserError("weg");
                                    }),
                 UserError);
    EXPECT_FALSE(partial[2].empty());
    EXPECT_TRUE(partial[3].empty());
}

}  // namespace
}  // namespace ql

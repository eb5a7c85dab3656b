// The map projection and the coordinate texts read back into numbers.

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "geo/projection.h"

namespace ql {
namespace {

TEST(MapProjection, ScalesLongitudeByTheMidLatitude)
{
    const std::array<TPolyArray, 2> polygons = {TPolyArray{{49.0, 6.0}, {50.0, 7.0}}, TPolyArray{{51.0, 8.0}}};
    const MapProjection projection = MapProjection::ForPolygons(polygons);
    EXPECT_DOUBLE_EQ(projection.midLatitude(), 50.0);
    EXPECT_NEAR(projection.xScale(), 0.6427876, 1e-7);  // cos 50 degrees
    const MapPoint m = projection.Project({50.5, 8.0});
    EXPECT_NEAR(m.x, 5.1423009, 1e-6);
    EXPECT_DOUBLE_EQ(m.y, 50.5);
    const TFPoint back = projection.Unproject(m);
    EXPECT_NEAR(back.Y, 8.0, 1e-12);

    const MapBounds bounds = projection.Bounds(polygons);
    ASSERT_FALSE(bounds.empty);
    EXPECT_DOUBLE_EQ(bounds.low.y, 49.0);
    EXPECT_DOUBLE_EQ(bounds.high.y, 51.0);
}

TEST(MapProjection, NoVerticesGiveTheStateAndEmptyBounds)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::array<TPolyArray, 2> polygons = {TPolyArray{}, TPolyArray{{nan, 7.0}}};
    const MapProjection projection = MapProjection::ForPolygons(polygons);
    EXPECT_DOUBLE_EQ(projection.midLatitude(), 49.95);
    EXPECT_TRUE(projection.Bounds(polygons).empty);
}

}  // namespace
}  // namespace ql

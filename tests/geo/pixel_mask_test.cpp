// Outlines and lines in pixels: the fill agrees with the crossing rule at
// every pixel centre, whatever the outline's shape and wherever it lies.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "geo/pixel_mask.h"
#include "geo/point_in_polygon.h"

namespace ql {
namespace {

const PixelTransform Identity{};

std::size_t CountSet(const std::vector<PixelSpan>& spans)
{
    std::size_t n = 0;
    for (const PixelSpan& s : spans) n += static_cast<std::size_t>(s.end - s.begin);
    return n;
}

TEST(PixelMask, FillsThePixelsWhoseCentresLieInsideAndEmptiesWhenRead)
{
    PixelMask mask(10, 8);
    const std::vector<MapPoint> square = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    mask.FillEvenOdd(square, Identity);
    EXPECT_TRUE(mask.IsSet(2, 2));
    EXPECT_TRUE(mask.IsSet(5, 4));
    EXPECT_FALSE(mask.IsSet(6, 4));
    EXPECT_FALSE(mask.IsSet(5, 5));
    const std::vector<PixelSpan> spans = mask.TakeSpans();
    ASSERT_EQ(spans.size(), 3u);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(spans[static_cast<std::size_t>(r)].y, 2 + r);
        EXPECT_EQ(spans[static_cast<std::size_t>(r)].begin, 2);
        EXPECT_EQ(spans[static_cast<std::size_t>(r)].end, 6);
    }
    EXPECT_TRUE(mask.TakeSpans().empty());
    EXPECT_FALSE(mask.IsSet(3, 3));

    // The transform places map units: y grows upwards on the map, downwards on the screen.
    const PixelTransform flip{2.0, 1.0, -2.0, 8.0};
    mask.FillEvenOdd(std::vector<MapPoint>{{0, 0}, {2, 0}, {2, 1}, {0, 1}}, flip);  // pixels x 1..5, y 6..8
    const std::vector<PixelSpan> flipped = mask.TakeSpans();
    ASSERT_EQ(flipped.size(), 2u);
    EXPECT_EQ(flipped[0].y, 6);
    EXPECT_EQ(flipped[0].begin, 1);
    EXPECT_EQ(flipped[0].end, 5);
}

TEST(PixelMask, EveryPixelOfARandomStarAgreesWithTheCrossingRule)
{
    // Star-shaped zig-zags around the middle, a ring inside another joined by a
    // bridge (a hole), and parts that leave the field.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> radius(3.0, 45.0);
    for (int round = 0; round < 20; ++round) {
        const int vertices = 3 + round * 37;
        TPolyArray polygon;
        std::vector<MapPoint> outline;
        const double cx = 30.3 + round, cy = 24.7;
        for (int k = 0; k < vertices; ++k) {
            const double a = 2 * std::numbers::pi * k / vertices, r = radius(random);
            outline.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        if (round % 2) {  // a hole: into a small ring and back over the same bridge
            outline.push_back(outline.front());
            for (int k = 8; k >= 0; --k)
                outline.push_back({cx + 1.9 * std::cos(2 * std::numbers::pi * k / 8),
                                   cy + 1.9 * std::sin(2 * std::numbers::pi * k / 8)});
        }
        for (const MapPoint m : outline) polygon.push_back({m.x, m.y});

        PixelMask mask(64, 48);
        mask.FillEvenOdd(outline, Identity);
        int disagree = 0;
        std::size_t set = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                set += mask.IsSet(x, y);
                disagree += mask.IsSet(x, y) != PointInPolygon({x + 0.5, y + 0.5}, polygon);
            }
        EXPECT_EQ(disagree, 0) << "round " << round;
        EXPECT_EQ(CountSet(mask.TakeSpans()), set);
    }
}

TEST(PixelMask, FarAwayAndBrokenPointsCostNothingAndBreakNothing)
{
    constexpr double huge = 1e15, nan = std::numeric_limits<double>::quiet_NaN();
    PixelMask mask(20, 10);
    // An outline far larger than the field covers all of it.
    mask.FillEvenOdd(std::vector<MapPoint>{{-huge, -huge}, {huge, -huge}, {nan, 3}, {huge, huge}, {-huge, huge}},
                     Identity);
    EXPECT_EQ(CountSet(mask.TakeSpans()), 200u);
    // One far outside, or without a finite point, sets nothing.
    mask.FillEvenOdd(std::vector<MapPoint>{{huge, 0}, {huge + 1e3, 0}, {huge, 1e3}}, Identity);
    mask.FillEvenOdd(std::vector<MapPoint>{{nan, nan}}, Identity);
    mask.FillEvenOdd({}, Identity);
    EXPECT_TRUE(mask.TakeSpans().empty());

    // A line from far left to far right is one full row; a NaN breaks a line.
    mask.DrawPolyline(std::vector<MapPoint>{{-huge, 4.5}, {huge, 4.5}}, Identity);
    const std::vector<PixelSpan> row = mask.TakeSpans();
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0].y, 4);
    EXPECT_EQ(row[0].begin, 0);
    EXPECT_EQ(row[0].end, 20);
    mask.DrawPolyline(std::vector<MapPoint>{{1.5, 1.5}, {nan, 0}, {18.5, 8.5}}, Identity);
    EXPECT_EQ(CountSet(mask.TakeSpans()), 2u);

    PixelMask none(0, 0);
    none.FillEvenOdd(std::vector<MapPoint>{{0, 0}, {5, 0}, {0, 5}}, Identity);
    none.DrawPolyline(std::vector<MapPoint>{{0, 0}, {5, 5}}, Identity, 3);
    EXPECT_TRUE(none.TakeSpans().empty());
}

TEST(PixelMask, LinesStayConnectedAndTakeTheirWidth)
{
    PixelMask mask(40, 30);
    // A steep diagonal: a pixel in every row it passes.
    mask.DrawPolyline(std::vector<MapPoint>{{2.5, 1.5}, {9.5, 28.5}}, Identity);
    for (int y = 1; y <= 28; ++y) {
        bool any = false;
        for (int x = 0; x < 40; ++x) any = any || mask.IsSet(x, y);
        EXPECT_TRUE(any) << "row " << y;
    }
    EXPECT_LE(CountSet(mask.TakeSpans()), 2u * 28u);

    mask.DrawPolyline(std::vector<MapPoint>{{5.5, 10.5}, {30.5, 10.5}}, Identity, 3);
    const std::vector<PixelSpan> thick = mask.TakeSpans();
    ASSERT_EQ(thick.size(), 3u);
    EXPECT_EQ(thick[0].y, 9);
    EXPECT_EQ(thick[2].y, 11);
    EXPECT_EQ(thick[1].begin, 4);
    EXPECT_EQ(thick[1].end, 32);
}

TEST(PixelMask, AMillionEdgeZigZagFillsItsBandAndNothingElse)
{
    // A ring whose edges run between two radii: the outer and inner discs
    // decide the pixels well clear of the band.
    std::vector<MapPoint> ring;
    const int vertices = 1'000'000;
    ring.reserve(vertices);
    for (int k = 0; k < vertices; ++k) {
        const double a = 2 * std::numbers::pi * k / vertices, r = k % 2 ? 20.0 : 30.0;
        ring.push_back({50 + r * std::cos(a), 40 + r * std::sin(a)});
    }
    PixelMask mask(100, 80);
    mask.FillEvenOdd(ring, Identity);
    EXPECT_TRUE(mask.IsSet(50, 40));  // inside the inner radius
    EXPECT_TRUE(mask.IsSet(50, 22));  // 18 from the middle
    EXPECT_FALSE(mask.IsSet(50, 8));  // 32 from the middle
    EXPECT_FALSE(mask.IsSet(90, 40));
    mask.DrawPolyline(ring, Identity, 3);
    EXPECT_TRUE(mask.IsSet(50 + 25, 40));
    EXPECT_FALSE(mask.IsSet(2, 2));
}

}  // namespace
}  // namespace ql

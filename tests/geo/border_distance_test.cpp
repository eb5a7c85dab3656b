// Real border edges, bridges, and distances to the border in metres.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "geo/border_distance.h"

namespace ql {
namespace {

// A square of 0.04 degrees with a square hole, joined into one ring by a
// bridge from the outer corner (50.00, 7.00) to the hole's corner (50.01, 7.01).
const TPolyArray SquareWithHole = {
    {50.00, 7.00}, {50.04, 7.00}, {50.04, 7.04}, {50.00, 7.04},  // outer ring
    {50.00, 7.00},                                                // back to its start
    {50.01, 7.01}, {50.01, 7.02}, {50.02, 7.02}, {50.02, 7.01},  // the hole
    {50.01, 7.01},                                                // back to its start, then the bridge closes
};

BorderIndex IndexOf(const TPolyArray& ring)
{
    BorderIndex index;
    index.Build(RealBorderEdges(ring));
    return index;
}

TEST(BorderEdges, EdgesRunBothWaysAreBridges)
{
    const std::vector<bool> bridges = BridgeEdges(SquareWithHole);
    const std::vector<bool> expected = {false, false, false, false, true, false, false, false, false, true};
    EXPECT_EQ(bridges, expected);
    EXPECT_EQ(RealBorderEdges(SquareWithHole).size(), 8u);
}

TEST(BorderEdges, AnEdgeTwiceTheSameWayStaysBorderOnlyOnceUnpaired)
{
    // a->b twice, b->a once: the second a->b is real, as are b->c and c->a.
    const TPolyArray ring = {{0, 0}, {1, 0}, {0, 0}, {1, 0}, {2, 0}};
    EXPECT_EQ(BridgeEdges(ring), (std::vector<bool>{true, true, false, false, false}));
}

TEST(BorderEdges, ChainsFollowTheRealBorderAndSkipBridges)
{
    const std::vector<TPolyArray> chains = BorderChains(SquareWithHole);
    ASSERT_EQ(chains.size(), 2u);
    // The hole closed (the first run after a bridge), then the outer ring closed; no chain holds a bridge.
    ASSERT_EQ(chains[0].size(), 5u);
    EXPECT_EQ(chains[0].front().X, 50.01);
    EXPECT_EQ(chains[0].front().Y, 7.01);
    EXPECT_EQ(chains[0][1].Y, 7.02);
    EXPECT_EQ(chains[0].back().Y, 7.01);
    ASSERT_EQ(chains[1].size(), 5u);
    EXPECT_EQ(chains[1].front().X, 50.00);
    EXPECT_EQ(chains[1].front().Y, 7.00);
    EXPECT_EQ(chains[1][1].X, 50.04);
    EXPECT_EQ(chains[1].back().Y, 7.00);

    const TPolyArray square = {{0, 0}, {0, 1}, {1, 1}};
    ASSERT_EQ(BorderChains(square).size(), 1u);
    EXPECT_EQ(BorderChains(square)[0].size(), 4u);  // closed
}

TEST(BorderEdges, DegenerateRingsHaveNoBorder)
{
    EXPECT_TRUE(RealBorderEdges({}).empty());
    EXPECT_TRUE(RealBorderEdges({{50, 7}}).empty());                // one vertex
    EXPECT_TRUE(RealBorderEdges({{50, 7}, {50.1, 7.1}}).empty());   // there and back
    EXPECT_TRUE(BorderChains({{50, 7}, {50.1, 7.1}}).empty());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(RealBorderEdges({{50, 7}, {nan, 7.1}, {50.1, 7.1}}).size(), 1u);

    const BorderIndex none = IndexOf({});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.Distance({50, 7}), NoDistance);
    const TFPoint two[] = {{50, 7}, {51, 8}};
    double metres[2] = {0, 0};
    none.Distances(two, metres);
    EXPECT_EQ(metres[1], NoDistance);
}

TEST(BorderDistance, MetresOnTheEllipsoid)
{
    // One degree of latitude at 50 degrees is 111229 m, one of longitude 71696 m.
    const LocalFrame frame = LocalFrame::At(50.0);
    EXPECT_NEAR(frame.metresPerDegreeLatitude, 111229.1, 0.5);
    EXPECT_NEAR(frame.metresPerDegreeLongitude, 71695.8, 0.5);

    const BorderIndex index = IndexOf(SquareWithHole);
    // 0.002 degrees north of the hole's southern edge, inside the hole.
    EXPECT_NEAR(index.Distance({50.012, 7.015}), 222.46, 2.2);
    // On the bridge: the bridge is no border; the outer west edge is 0.005 degrees of longitude away.
    EXPECT_NEAR(index.Distance({50.005, 7.005}), 358.4, 3.6);
    // Outside, 0.01 degrees east of the outer ring's east edge.
    EXPECT_NEAR(index.Distance({50.02, 7.05}), 716.9, 7.2);
    // Outside, beyond the corner (50.04, 7.04): both offsets count.
    EXPECT_NEAR(index.Distance({50.05, 7.05}), std::hypot(1112.2, 716.9), 13.0);
}

TEST(BorderDistance, OnTheBorderIsZero)
{
    const BorderIndex index = IndexOf(SquareWithHole);
    EXPECT_EQ(index.Distance({50.04, 7.04}), 0.0);   // a vertex
    EXPECT_EQ(index.Distance({50.00, 7.023}), 0.0);  // on the southern edge
    EXPECT_EQ(index.Distance({50.015, 7.02}), 0.0);  // on the hole's eastern edge
}

TEST(BorderDistance, IndexAnswersAsReadingEveryEdge)
{
    // A jagged ring with a hole, around 50 N 7 E.
    TPolyArray ring;
    std::mt19937 random(13);
    std::uniform_real_distribution<double> jitter(0.8, 1.2);
    for (int k = 0; k < 400; ++k) {
        const double angle = 2 * 3.14159265358979 * k / 400, r = 0.3 * jitter(random);
        ring.push_back({50 + r * std::sin(angle), 7 + 1.5 * r * std::cos(angle)});
    }
    ring.push_back(ring.front());
    for (int k = 0; k < 40; ++k) {
        const double angle = -2 * 3.14159265358979 * k / 40;
        ring.push_back({50.0 + 0.05 * std::cos(angle), 7.0 + 0.05 * std::sin(angle) + 0.05});
    }
    ring.push_back({50.05, 7.05});  // the hole's start: the ring's closing edge is the bridge back
    const BorderIndex index = IndexOf(ring);
    EXPECT_EQ(RealBorderEdges(ring).size(), 440u);
    std::uniform_real_distribution<double> lat(48.5, 51.5), lon(5.0, 9.0), nearLat(49.6, 50.4), nearLon(6.4, 7.6);
    std::vector<TFPoint> points;
    for (int i = 0; i < 20000; ++i) {
        const TFPoint p = i % 2 ? TFPoint{lat(random), lon(random)} : TFPoint{nearLat(random), nearLon(random)};
        ASSERT_EQ(index.Distance(p), index.DistancePlain(p)) << p.X << " " << p.Y;
        points.push_back(p);
    }
    // Many at once, near and far mixed, give each point's own answer.
    std::vector<double> metres(points.size(), -1.0);
    index.Distances(points, metres);
    for (std::size_t i = 0; i < points.size(); ++i)
        ASSERT_EQ(metres[i], index.DistancePlain(points[i])) << points[i].X << " " << points[i].Y;
    // A few, fewer than the look-ahead, and none.
    std::vector<double> three(3, -1.0);
    index.Distances(std::span(points).first(3), three);
    EXPECT_EQ(three[2], index.DistancePlain(points[2]));
    index.Distances({}, {});
}

TEST(BorderDistance, DetailedRingsKeepTheIndexSmallAndExact)
{
    // A zig-zag between two radii and a circle: every point of the middle is
    // near many edges, which must not multiply the index.
    for (const bool zigzag : {true, false}) {
        TPolyArray ring;
        constexpr int Vertices = 20000;
        for (int k = 0; k < Vertices; ++k) {
            const double angle = 2 * 3.14159265358979 * k / Vertices, r = zigzag && k % 2 ? 0.10 : 0.15;
            ring.push_back({50 + r * std::sin(angle), 7 + 1.5 * r * std::cos(angle)});
        }
        const BorderIndex index = IndexOf(ring);
        EXPECT_LT(index.MemoryBytes(), 40u * Vertices) << zigzag;
        std::mt19937 random(7);
        std::uniform_real_distribution<double> lat(49.7, 50.3), lon(6.6, 7.4);
        std::vector<TFPoint> points = {{50, 7}, {50.0001, 7.0002}, {50.15, 7}, {50, 7.2249}};
        for (int i = 0; i < 300; ++i) points.push_back({lat(random), lon(random)});
        for (const TFPoint p : points) ASSERT_EQ(index.Distance(p), index.DistancePlain(p)) << p.X << " " << p.Y;
    }
}

}  // namespace
}  // namespace ql

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "geo/district_locator.h"
#include "geo/point_in_polygon.h"

namespace ql {
namespace {

// (X, Y) corners of the unit square, in the order (0,0), (0,1), (1,1), (1,0).
const TPolyArray UnitSquare = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

void CheckLocation(const TPolyArray& polygon, TFPoint p, bool expected)
{
    EXPECT_EQ(PointInPolygon(p, polygon), expected) << "(" << p.X << ", " << p.Y << ")";
    std::vector<TPolyArray> table(8);
    table[7] = polygon;
    DistrictLocator locator;
    locator.Build(table);
    EXPECT_EQ(locator.Find(p), expected ? std::optional<int>(7) : std::nullopt)
        << "index, (" << p.X << ", " << p.Y << ")";
}

TEST(PointInPolygon, SidesOfTheSquareAreHalfOpen)
{
    CheckLocation(UnitSquare, {0.5, 0.5}, true);   // middle
    CheckLocation(UnitSquare, {0.0, 0.5}, true);   // side of least X
    CheckLocation(UnitSquare, {0.5, 0.0}, true);   // side of least Y
    CheckLocation(UnitSquare, {1.0, 0.5}, false);  // side of greatest X
    CheckLocation(UnitSquare, {0.5, 1.0}, false);  // side of greatest Y
    CheckLocation(UnitSquare, {0.0, 0.0}, true);   // corner of least X and Y
    CheckLocation(UnitSquare, {1.0, 1.0}, false);  // opposite corner
    CheckLocation(UnitSquare, {-0.5, 0.5}, false);  // beside, towards less X
    CheckLocation(UnitSquare, {0.5, -1e-300}, false);
}

TEST(PointInPolygon, DegenerateAndRepeatedVertices)
{
    CheckLocation({}, {0, 0}, false);                  // no vertex
    CheckLocation({{0.5, 0.5}}, {0.5, 0.5}, false);    // one vertex: its edge is never considered
    CheckLocation({{0, 0}, {1, 1}}, {0.2, 0.5}, false);  // there and back: two crossings
    CheckLocation({{0, 0}, {0, 1}, {1, 0}}, {1e-9, 0.5}, true);
    CheckLocation({{0, 0}, {0, 0}, {0, 1}, {1, 1}, {1, 1}, {1, 0}, {0, 0}}, {0.5, 0.5}, true);  // repeats
    CheckLocation({{0, 0}, {0, 1}, {0, 2}, {0, 3}}, {-1, 1}, false);  // all on one line
}

TEST(PointInPolygon, SelfIntersectingBowTieCountsCrossings)
{
    // Two triangles meeting at (1, 1): one towards X = 0, one towards X = 2.
    const TPolyArray bowTie = {{0, 0}, {2, 2}, {2, 0}, {0, 2}};
    CheckLocation(bowTie, {1.0, 0.5}, false);  // between the triangles
    CheckLocation(bowTie, {0.2, 0.5}, true);
    CheckLocation(bowTie, {1.7, 1.5}, true);
    CheckLocation(bowTie, {1.5, 0.5}, true);   // on the slanted side of least X
    CheckLocation(bowTie, {0.5, 0.5}, false);  // on the slanted side of greatest X
    CheckLocation(bowTie, {1.0, 1.0}, true);   // where the sides cross
}

TEST(PointInPolygon, TheRuleOnVerticesOnAHorizontalEdgeAndAtBothEndsOfAnEdge)
{
    // A triangle with its base along X: A (0, 0), B (2, 4), C (4, 0). The
    // ray runs towards greater X; an edge counts for Y in [min, max).
    const TPolyArray triangle = {{0, 0}, {2, 4}, {4, 0}};
    CheckLocation(triangle, {0, 0}, true);  // vertex A: the edge B-C lies ahead on the ray
    CheckLocation(triangle, {4, 0}, false);  // vertex C: nothing ahead
    CheckLocation(triangle, {2, 4}, false);  // vertex B: at the top, no edge counts
    CheckLocation(triangle, {2, 0}, true);  // on the horizontal edge C-A, which never counts
    CheckLocation(triangle, {1, 2}, true);  // on A-B, the edge of least X
    CheckLocation(triangle, {3, 2}, false);  // on B-C, the edge of greatest X

    // The two halves of the rule by themselves.
    EXPECT_TRUE(EdgeConsidered({5, 0}, 0, 4));  // lower end included
    EXPECT_FALSE(EdgeConsidered({5, 4}, 0, 4));  // upper end not
    EXPECT_TRUE(EdgeConsidered({5, 0}, 4, 0));  // whichever way the edge runs
    EXPECT_FALSE(EdgeConsidered({5, 0}, 0, 0));  // a horizontal edge: never
    EXPECT_TRUE(EdgeCrossesRay({0.999, 2}, 0, 0, 2, 4));  // the edge is at X = 1 there
    EXPECT_FALSE(EdgeCrossesRay({1, 2}, 0, 0, 2, 4));  // exactly on it: not ahead
}

}  // namespace
}  // namespace ql

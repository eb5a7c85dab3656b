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

}  // namespace
}  // namespace ql

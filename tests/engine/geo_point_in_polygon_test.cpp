#include <gtest/gtest.h>

#include <string>

#include "core/app_state.h"
#include "core/tables.h"
#include "core/user_error.h"
#include "geo/point_in_polygon.h"

namespace ql {
namespace {

// (X, Y) corners of the unit square, in the order (0,0), (0,1), (1,1), (1,0).
const TPolyArray UnitSquare = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

TPolyArray Square(double x0, double y0, double size)
{
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}};
}

void CheckLocation(const TPolyArray& polygon, TFPoint p, bool expected)
{
    EXPECT_EQ(PointInPolygon(p, polygon), expected) << "(" << p.X << ", " << p.Y << ")";
    PolygonTable table;
    table[7] = polygon;
    DistrictLocator locator;
    locator.Build(table);
    EXPECT_EQ(locator.Find(p), expected ? 7 : -1) << "index, (" << p.X << ", " << p.Y << ")";
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

class AssignDistrictTest : public ::testing::Test {
protected:
    AppState state;

    void SetUp() override
    {
        SetPolygon(state, 5, Square(49.0, 7.0, 1.0));   // a Landkreis
        SetPolygon(state, 30, Square(49.4, 7.2, 0.2));  // a Stadtkreis inside it
    }

    int TallySum() const
    {
        int sum = 0;
        for (int n : state.DistrictTally) sum += n;
        return sum;
    }
};

TEST_F(AssignDistrictTest, LowerIndexWinsAndOnlyItsTallyGrows)
{
    EXPECT_EQ(AssignDistrict(state, "49.5", "7.25"), DistrictNames[5]);
    EXPECT_EQ(AssignDistrict(state, " 49.5 ", "7.25"), DistrictNames[5]);
    EXPECT_EQ(state.DistrictTally[5], 2);
    EXPECT_EQ(state.DistrictTally[30], 0);
    EXPECT_EQ(TallySum(), 2);
    EXPECT_EQ(state.NotInPolygonCount, 0);
}

TEST_F(AssignDistrictTest, OutsideEveryPolygonCountsApart)
{
    EXPECT_EQ(AssignDistrict(state, "51.0", "7.25"), "NOT IN POLYGON!");
    EXPECT_EQ(AssignDistrict(state, "-49.5", "7.25"), "NOT IN POLYGON!");
    EXPECT_EQ(state.NotInPolygonCount, 2);
    EXPECT_EQ(TallySum(), 0);

    AppState empty;  // no polygon loaded at all
    EXPECT_EQ(AssignDistrict(empty, "49.5", "7.25"), "NOT IN POLYGON!");
    EXPECT_EQ(empty.NotInPolygonCount, 1);
}

TEST_F(AssignDistrictTest, BadTextCountsNothing)
{
    for (auto [lat, lon] : {std::pair{"49,5", "7.25"}, std::pair{"49.5", "7,25"}, std::pair{"49.5", ""}}) {
        try {
            AssignDistrict(state, lat, lon);
            ADD_FAILURE() << "no error for " << lat << " " << lon;
        } catch (const UserError& e) {
            const std::string bad = std::string(lat) == "49.5" ? lon : lat;
            EXPECT_EQ(e.what(), "'" + bad + "' ist kein gültiger Gleitkommawert");
        }
    }
    EXPECT_EQ(TallySum(), 0);
    EXPECT_EQ(state.NotInPolygonCount, 0);
}

TEST_F(AssignDistrictTest, IndexFollowsEveryChangeOfTheTable)
{
    SetPolygon(state, 5, {});  // the Landkreis emptied: the Stadtkreis now wins
    EXPECT_EQ(AssignDistrict(state, "49.5", "7.25"), DistrictNames[30]);

    // A polygon put straight into the table is seen as well.
    state.PolyTable[2] = Square(40.0, 0.0, 1.0);
    EXPECT_EQ(AssignDistrict(state, "40.5", "0.5"), DistrictNames[2]);
    state.PolyTable[30] = {};
    EXPECT_EQ(AssignDistrict(state, "49.5", "7.25"), "NOT IN POLYGON!");

    EXPECT_THROW(SetPolygon(state, 36, {}), UserError);
    EXPECT_THROW(SetPolygon(state, -1, {}), UserError);
}

}  // namespace
}  // namespace ql

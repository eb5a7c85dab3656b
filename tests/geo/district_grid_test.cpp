// The grid answers a point only where its answer is the plain rule's: on the
// shipped districts at the corners of its cells and beside the outlines, and
// on small tables whose order and damage decide what it may know.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/tables.h"
#include "districts/polygon_files.h"
#include "geo/district_grid.h"
#include "geo/point_in_polygon.h"

namespace ql {
namespace {

std::vector<TPolyArray> ShippedDistricts()
{
    std::vector<TPolyArray> table;
    for (const std::string_view name : DistrictFileNames)
        table.push_back(LoadPolygonFile(std::string(QL_DATA_DIR) + "/rlp_polygons/" + std::string(name) + ".txt"));
    return table;
}

// The point and its neighbours one step of the doubles away on each axis.
void AddWithNeighbours(std::vector<TFPoint>& points, TFPoint p)
{
    for (const double x : {std::nextafter(p.X, -INFINITY), p.X, std::nextafter(p.X, INFINITY)})
        for (const double y : {std::nextafter(p.Y, -INFINITY), p.Y, std::nextafter(p.Y, INFINITY)})
            points.push_back({x, y});
}

// Compares every answer the grid knows with the plain rule; returns how many it knew.
std::size_t ExpectKnownAnswersArePlain(const std::vector<TPolyArray>& table, const DistrictGrid& grid,
                                       const std::vector<TFPoint>& points)
{
    std::size_t known = 0, differences = 0;
    for (const TFPoint& p : points) {
        const GridAnswer answer = grid.Lookup(p);
        if (!answer.Known) continue;
        ++known;
        const int plain = FindDistrictPlain(table, p);
        if (answer.Polygon.value_or(-1) != plain && ++differences <= 5)
            ADD_FAILURE() << "(" << p.X << ", " << p.Y << "): grid " << answer.Polygon.value_or(-1) << ", plain "
                          << plain;
    }
    return known;
}

TEST(DistrictGrid, KnowsOnlyThePlainAnswersOnTheShippedDistricts)
{
    const std::vector<TPolyArray> table = ShippedDistricts();
    const DistrictGrid grid(table);
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (const TPolyArray& polygon : table) {
        for (const TFPoint& p : polygon) {
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    }
    std::mt19937_64 random(28);
    std::vector<TFPoint> points;
    // The corners of the cells, where rounding decides the cell, along a
    // few rows and columns of the grid.
    const double w = (maxX - minX) / DistrictGrid::Cells, h = (maxY - minY) / DistrictGrid::Cells;
    for (std::size_t k = 0; k <= DistrictGrid::Cells; k += 1) {
        const std::size_t across = (k * 37) % DistrictGrid::Cells;
        AddWithNeighbours(points, {minX + static_cast<double>(k) * w, minY + static_cast<double>(across) * h});
        AddWithNeighbours(points, {minX + static_cast<double>(across) * w, minY + static_cast<double>(k) * h});
    }
    // Beside the outlines: vertices and points along the edges.
    for (const TPolyArray& polygon : table) {
        for (std::size_t i = 0; i < polygon.size(); i += 23) {
            const TFPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            AddWithNeighbours(points, a);
            const double t = std::uniform_real_distribution<double>(0, 1)(random);
            AddWithNeighbours(points, {a.X + t * (b.X - a.X), a.Y + t * (b.Y - a.Y)});
        }
    }
    ExpectKnownAnswersArePlain(table, grid, points);

    // Most points of the state are answered by the grid alone.
    std::vector<TFPoint> spread;
    for (int i = 0; i < 4000; ++i)
        spread.push_back({std::uniform_real_distribution<double>(minX, maxX)(random),
                          std::uniform_real_distribution<double>(minY, maxY)(random)});
    EXPECT_GT(ExpectKnownAnswersArePlain(table, grid, spread), spread.size() * 7 / 10);
}

TPolyArray Square(double x, double y, double side)
{
    return {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}};
}

TEST(DistrictGrid, AnswersInIndexOrderUpToAPolygonItCannotJudge)
{
    struct Case {
        const char* what;
        TFPoint point;
        bool known;
        int polygon;  // -1: none
    };
    // Two overlapping squares, a polygon with a coordinate that is not a
    // number, and a square after it.
    const std::vector<TPolyArray> table = {
        Square(0, 0, 10), Square(5, 5, 10), {{1, 1}, {NAN, 2}, {2, 2}}, Square(11, 0, 3)};
    const DistrictGrid grid(table);
    const Case cases[] = {
        {"in the first square only", {2, 2}, true, 0},
        {"where both squares overlap: the first", {7, 7}, true, 0},
        {"in the second square only", {12, 12}, true, 1},
        {"on the first square's side", {0, 2}, false, -1},
        {"in the square after the damaged polygon", {12.5, 1.5}, false, -1},
        {"in no polygon, but the damaged one may hold it", {2, 13}, false, -1},
        {"outside the grid", {-5, 2}, false, -1},
        {"not a number", {NAN, 2}, false, -1},
        {"infinite", {INFINITY, 2}, false, -1},
    };
    for (const Case& c : cases) {
        const GridAnswer answer = grid.Lookup(c.point);
        EXPECT_EQ(answer.Known, c.known) << c.what;
        if (c.known) {
            EXPECT_EQ(answer.Polygon.value_or(-1), c.polygon) << c.what;
        }
    }

    // Without the damaged polygon, both are known.
    const std::vector<TPolyArray> sound = {Square(0, 0, 10), Square(5, 5, 10), Square(11, 0, 3)};
    const DistrictGrid soundGrid(sound);
    const GridAnswer outside = soundGrid.Lookup({2, 13});
    EXPECT_TRUE(outside.Known);
    EXPECT_EQ(outside.Polygon, std::nullopt);
    EXPECT_EQ(soundGrid.Lookup({12.5, 1.5}).Polygon, 2);
    // A grid of nothing knows nothing.
    EXPECT_FALSE(DistrictGrid().Lookup({2, 2}).Known);
    EXPECT_FALSE(DistrictGrid(std::vector<TPolyArray>{Square(0, 0, 0)}).Lookup({0, 0}).Known);
}

}  // namespace
}  // namespace ql

// The district index must answer exactly as the plain crossing rule tried
// polygon by polygon: on the shipped district polygons and on random ones
// made to hit the rule's corners (ties on vertices and edges, horizontal
// edges, repeated vertices, self-intersections, long edges, spikes, far
// vertices, holes, the borders of the index's slabs).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "districts/district_map.h"
#include "districts/polygon_files.h"
#include "core/tables.h"
#include "geo/district_locator.h"
#include "geo/point_in_polygon.h"

namespace ql {
namespace {

using Random = std::mt19937_64;

double Uniform(Random& random, double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
int Integer(Random& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

struct Comparison {
    long long points = 0;
    long long differences = 0;
    std::string firstDifferences;
};

void Compare(const PolygonTable& table, const DistrictLocator& locator, const std::vector<TFPoint>& points,
             Comparison& result)
{
    for (const TFPoint& p : points) {
        const int fast = locator.Find(p).value_or(-1);
        const int plain = FindDistrictPlain(table, p);
        ++result.points;
        if (fast != plain && ++result.differences <= 5) {
            char line[160];
            std::snprintf(line, sizeof line, "(%.17g, %.17g): index %d, plain %d\n", p.X, p.Y, fast, plain);
            result.firstDifferences += line;
        }
    }
}

// Points on and next to the vertices and edges of every polygon, and on the
// borders of the Y bands an index of any power-of-two fraction of the edge
// count would use. Each point is kept with the given share.
std::vector<TFPoint> PointsOnTheOutlines(const PolygonTable& table, Random& random, double share = 1.0)
{
    std::vector<TFPoint> all;
    for (const TPolyArray& poly : table) {
        const std::size_t n = poly.size();
        double minY = INFINITY, maxY = -INFINITY, minX = INFINITY, maxX = -INFINITY;
        for (std::size_t i = 0; i < n; ++i) {
            const TFPoint a = poly[i];
            const TFPoint b = poly[(i + 1) % n];
            all.push_back(a);
            all.push_back({std::nextafter(a.X, -INFINITY), a.Y});
            all.push_back({a.X, std::nextafter(a.Y, INFINITY)});
            all.push_back({(a.X + b.X) / 2, (a.Y + b.Y) / 2});
            const double t = Uniform(random, 0, 1);
            all.push_back({a.X + t * (b.X - a.X), a.Y + t * (b.Y - a.Y)});
            all.push_back({b.X, a.Y});  // level with one end, in line with the other
            minY = std::min(minY, a.Y), maxY = std::max(maxY, a.Y);
            minX = std::min(minX, a.X), maxX = std::max(maxX, a.X);
        }
        if (n == 0 || !(maxY > minY)) continue;
        for (std::size_t bands = std::max<std::size_t>(n, 2); bands >= 2; bands /= 2) {
            for (int k = 0; k < 8; ++k) {
                const double y = minY + Integer(random, 0, static_cast<int>(std::min<std::size_t>(bands, 1 << 16))) *
                                            ((maxY - minY) / static_cast<double>(std::min<std::size_t>(bands, 1 << 16)));
                const double x = Uniform(random, minX, maxX);
                all.push_back({x, y});
                all.push_back({x, std::nextafter(y, -INFINITY)});
                all.push_back({x, std::nextafter(y, INFINITY)});
            }
        }
    }
    std::vector<TFPoint> points;
    for (const TFPoint& p : all) {
        if (share >= 1.0 || Uniform(random, 0, 1) < share) points.push_back(p);
    }
    return points;
}

TEST(DistrictLocatorProperty, AgreesWithThePlainRuleOnTheShippedDistricts)
{
    PolygonTable table;
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = LoadPolygonFile(std::string(QL_DATA_DIR) + "/rlp_polygons/" + std::string(DistrictFileNames[i]) + ".txt");
        ASSERT_GT(table[i].size(), 10u) << DistrictFileNames[i];
    }
    DistrictLocator locator;
    locator.Build(table);

    Random random(36);
    Comparison result;
    // The plain rule takes tens of microseconds per point here: a share of the outline points.
    Compare(table, locator, PointsOnTheOutlines(table, random, 0.3), result);

    // Random points over the state's bounding box, some snapped to vertex coordinates.
    std::vector<TFPoint> vertices;
    for (const TPolyArray& poly : table) vertices.insert(vertices.end(), poly.begin(), poly.end());
    std::vector<TFPoint> points;
    for (int i = 0; i < 30'000; ++i) {
        TFPoint p{Uniform(random, 48.9, 50.95), Uniform(random, 6.1, 8.5)};
        if (i % 8 == 0) p.Y = vertices[static_cast<std::size_t>(Integer(random, 0, static_cast<int>(vertices.size()) - 1))].Y;
        if (i % 8 == 1) p.X = vertices[static_cast<std::size_t>(Integer(random, 0, static_cast<int>(vertices.size()) - 1))].X;
        points.push_back(p);
    }
    Compare(table, locator, points, result);

    EXPECT_EQ(result.differences, 0) << result.firstDifferences;
    RecordProperty("points", std::to_string(result.points));
    std::printf("district polygons: %lld points, %lld differences\n", result.points, result.differences);
}

// A ring around (cx, cy) of `n` vertices alternating between radius `inner`
// and `outer` (outer 0: all at `inner`, a circle).
TPolyArray Star(double cx, double cy, double inner, double outer, int n)
{
    TPolyArray poly;
    for (int i = 0; i < n; ++i) {
        const double angle = 2 * std::numbers::pi * i / n;
        const double r = outer > 0 && i % 2 ? outer : inner;
        poly.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    return poly;
}

// A vertex far out: beyond what the index searches, or just within it.
TFPoint FarVertex(Random& random)
{
    const double far[] = {1e151, -1e151, 1e150, 1e300, 1e12};
    const double x = far[Integer(random, 0, 4)];
    switch (Integer(random, 0, 2)) {
    case 0: return {x, Uniform(random, -5, 5)};
    case 1: return {Uniform(random, -5, 5), x};
    default: return {x, x};
    }
}

// A polygon of one of several awkward kinds.
TPolyArray RandomPolygon(Random& random)
{
    TPolyArray poly;
    const double cx = Uniform(random, -5, 5), cy = Uniform(random, -5, 5);
    switch (Integer(random, 0, 9)) {
    case 0: {  // star-shaped with many vertices: a fine outline like a district's
        const int n = Integer(random, 3, 400);
        const double r = Uniform(random, 0.5, 4);
        for (int i = 0; i < n; ++i) {
            const double angle = 2 * std::numbers::pi * i / n;
            const double radius = r * Uniform(random, 0.3, 1);
            poly.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
        }
        break;
    }
    case 1: {  // random vertices: self-intersecting, long edges across everything
        const int n = Integer(random, 3, 60);
        for (int i = 0; i < n; ++i) poly.push_back({Uniform(random, -6, 6), Uniform(random, -6, 6)});
        break;
    }
    case 2:
    case 3: {  // on a coarse grid: horizontal edges, repeated vertices, shared ties
        const int n = Integer(random, 1, 40);
        for (int i = 0; i < n; ++i) poly.push_back({Integer(random, -4, 4) * 0.5, Integer(random, -4, 4) * 0.5});
        if (n > 2 && Integer(random, 0, 1)) poly.push_back(poly.front());
        break;
    }
    case 4: {  // rectilinear staircase
        double x = Integer(random, -4, 0), y = Integer(random, -4, 0);
        const int steps = Integer(random, 1, 10);
        for (int i = 0; i < steps; ++i) {
            poly.push_back({x, y});
            y += 1;
            poly.push_back({x, y});
            x += 1;
        }
        poly.push_back({x, y - steps});
        break;
    }
    case 5: {  // degenerate: nothing, one vertex, a line, collinear points
        const int n = Integer(random, 0, 4);
        const double dx = Uniform(random, -1, 1), dy = Integer(random, 0, 1) ? 0.0 : Uniform(random, -1, 1);
        for (int i = 0; i < n; ++i) poly.push_back({cx + i * dx, cy + i * dy});
        break;
    }
    case 6: {  // a thin sliver: nearly horizontal edges of tiny height
        const double w = Uniform(random, 0.1, 8), h = std::ldexp(1.0, -Integer(random, 10, 60));
        poly = {{cx, cy}, {cx + w, cy + h}, {cx + 2 * w, cy}, {cx + w, cy - h}};
        break;
    }
    case 7: {  // spikes from a small core out across everything
        poly = Star(cx, cy, Uniform(random, 0.05, 1), Uniform(random, 5, 50), 2 * Integer(random, 2, 200));
        break;
    }
    case 8: {  // a circle with one vertex far away
        poly = Star(cx, cy, Uniform(random, 0.5, 4), 0, Integer(random, 3, 300));
        poly.insert(poly.begin() + Integer(random, 0, static_cast<int>(poly.size())), FarVertex(random));
        break;
    }
    default: {  // a hole, reached by a bridge there and back
        const int n = Integer(random, 3, 100);
        const double r = Uniform(random, 1, 4), hole = r * Uniform(random, 0.1, 0.9);
        for (int i = 0; i <= n; ++i) {
            const double angle = 2 * std::numbers::pi * i / n;
            poly.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
        }
        for (int i = n; i >= 0; --i) {
            const double angle = 2 * std::numbers::pi * i / n;
            poly.push_back({cx + hole * std::cos(angle), cy + hole * std::sin(angle)});
        }
        break;
    }
    }
    return poly;
}

TEST(DistrictLocatorProperty, AgreesWithThePlainRuleOnRandomPolygons)
{
    Random random(20110524);
    Comparison result;
    while (result.points < 1'000'000) {
        PolygonTable table;
        for (TPolyArray& poly : table) poly = RandomPolygon(random);
        DistrictLocator locator;
        locator.Build(table);

        std::vector<TFPoint> points = PointsOnTheOutlines(table, random);
        for (int i = 0; i < 4000; ++i) {
            if (i % 2) points.push_back({Uniform(random, -7, 7), Uniform(random, -7, 7)});
            else points.push_back({Integer(random, -10, 10) * 0.25, Integer(random, -10, 10) * 0.25});
        }
        Compare(table, locator, points, result);
    }
    EXPECT_EQ(result.differences, 0) << result.firstDifferences;
    std::printf("random polygons: %lld points, %lld differences\n", result.points, result.differences);
}

// Rings whose shape once cost the index its speed, large enough that its
// tree has many levels: a star whose spikes cross every other polygon, a fine
// circle with a vertex far away, a ring with holes; beside them the shipped
// kinds of shapes.
TEST(DistrictLocatorProperty, LargeRingsOfHostileShapesAgreeToo)
{
    Random random(151);
    PolygonTable table;
    table[0] = Star(0, 0, 0.05, 30, 6000);
    table[1] = Star(1, 1, 2, 0, 6000);
    table[1].insert(table[1].begin() + 1500, TFPoint{1e151, 1e151});
    table[2] = Star(-1, 0.5, 1.5, 0, 4000);
    table[2].insert(table[2].begin() + 10, TFPoint{0.5, 1e151});
    // A square with many holes, each reached by a bridge from its left side.
    for (int h = 0; h < 40; ++h) {
        const double y = -4 + 0.2 * h;
        table[3].push_back({-4, y});
        const TPolyArray hole = Star(-2, y + 0.1, 0.05, 0, 50);
        table[3].insert(table[3].end(), hole.rbegin(), hole.rend());
        table[3].push_back(hole.back());
        table[3].push_back({-4, y});
    }
    table[3].insert(table[3].end(), {{-4, 4}, {4, 4}, {4, -4}});
    for (std::size_t i = 4; i < table.size(); ++i) table[i] = RandomPolygon(random);
    DistrictLocator locator;
    locator.Build(table);

    std::vector<TFPoint> points = PointsOnTheOutlines(table, random, 0.05);
    for (int i = 0; i < 20'000; ++i) {
        if (i % 2) points.push_back({Uniform(random, -6, 6), Uniform(random, -6, 6)});
        else points.push_back({Uniform(random, -0.1, 0.1), Uniform(random, -0.1, 0.1)});  // the star's core
    }
    Comparison result;
    Compare(table, locator, points, result);
    EXPECT_EQ(result.differences, 0) << result.firstDifferences;
}

// Unusual values: the index gives up its shortcuts but not its answer.
TEST(DistrictLocatorProperty, ExtremeCoordinatesAgreeToo)
{
    const double big = 1e200, tiny = 1e-300;
    PolygonTable table;
    table[0] = {{0, 0}, {0, tiny}, {tiny, tiny}, {tiny, 0}};
    table[1] = {{-big, -big}, {-big, big}, {big, big}, {big, -big}};
    table[2] = {{0, 0}, {0, INFINITY}, {1, 1}};
    table[3] = {{NAN, 0}, {0, 1}, {1, 1}, {1, 0}};
    table[4] = {{0, NAN}, {0, 1}, {1, 1}, {1, 0}, {2, NAN}};
    table[5] = {{-1, 0}, {-1, 1}, {NAN, 0.5}};
    DistrictLocator locator;
    locator.Build(table);
    Comparison result;
    Random random(7);
    std::vector<TFPoint> points = PointsOnTheOutlines(table, random);
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double values[] = {-big, -1.0, 0.0, tiny / 2, 0.5, 1.0, big, inf, -inf, nan};
    for (double x : values) {
        for (double y : values) points.push_back({x, y});
    }
    Compare(table, locator, points, result);
    EXPECT_EQ(result.differences, 0) << result.firstDifferences;
}

}  // namespace
}  // namespace ql

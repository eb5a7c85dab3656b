// Border distances on the shipped districts against an independent
// computation: GEOS measures the point against the real border, built in a
// local frame from another formula for the metres per degree, and the
// nearest border point GEOS finds is measured again on the ellipsoid with
// Vincenty's inverse formula. Both must agree with the program to 1%.

#include <gtest/gtest.h>
#include <geos_c.h>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "districts/district_map.h"
#include "districts/polygon_files.h"
#include "core/tables.h"

namespace ql {
namespace {

constexpr double Pi = 3.14159265358979323846;

// Geodesic distance on WGS84 (Vincenty's inverse formula), metres.
double Vincenty(double lat1, double lon1, double lat2, double lon2)
{
    const double a = 6378137.0, f = 1 / 298.257223563, b = a * (1 - f);
    const double L = (lon2 - lon1) * Pi / 180;
    const double U1 = std::atan((1 - f) * std::tan(lat1 * Pi / 180)),
                 U2 = std::atan((1 - f) * std::tan(lat2 * Pi / 180));
    const double sinU1 = std::sin(U1), cosU1 = std::cos(U1), sinU2 = std::sin(U2), cosU2 = std::cos(U2);
    double lambda = L, sinSigma = 0, cosSigma = 0, sigma = 0, cos2Alpha = 0, cos2SigmaM = 0;
    for (int i = 0; i < 200; ++i) {
        const double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
        sinSigma = std::hypot(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda);
        if (sinSigma == 0) return 0;
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cos2Alpha = 1 - sinAlpha * sinAlpha;
        cos2SigmaM = cos2Alpha != 0 ? cosSigma - 2 * sinU1 * sinU2 / cos2Alpha : 0;
        const double C = f / 16 * cos2Alpha * (4 + f * (4 - 3 * cos2Alpha));
        const double previous = lambda;
        lambda = L + (1 - C) * f * sinAlpha *
                         (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - previous) < 1e-13) break;
    }
    const double u2 = cos2Alpha * (a * a - b * b) / (b * b);
    const double A = 1 + u2 / 16384 * (4096 + u2 * (-768 + u2 * (320 - 175 * u2)));
    const double B = u2 / 1024 * (256 + u2 * (-128 + u2 * (74 - 47 * u2)));
    const double deltaSigma =
        B * sinSigma *
        (cos2SigmaM + B / 4 *
                          (cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM) -
                           B / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) * (-3 + 4 * cos2SigmaM * cos2SigmaM)));
    return b * A * (sigma - deltaSigma);
}

// Metres per degree from the usual series in the latitude.
double MetresPerDegreeLatitude(double lat)
{
    const double p = lat * Pi / 180;
    return 111132.954 - 559.822 * std::cos(2 * p) + 1.175 * std::cos(4 * p);
}
double MetresPerDegreeLongitude(double lat)
{
    const double p = lat * Pi / 180;
    return 111412.84 * std::cos(p) - 93.5 * std::cos(3 * p);
}

using Vertex = std::pair<double, double>;

// The real border by counting: a directed edge cancels one edge of the opposite direction.
std::vector<std::pair<Vertex, Vertex>> RealEdgesByCounting(const TPolyArray& ring)
{
    std::map<std::pair<Vertex, Vertex>, int> count;
    const std::size_t n = ring.size();
    auto edge = [&](std::size_t i) {
        const TFPoint a = ring[i], b = ring[(i + 1) % n];
        return std::make_pair(Vertex{a.X, a.Y}, Vertex{b.X, b.Y});
    };
    for (std::size_t i = 0; i < n; ++i) ++count[edge(i)];
    std::vector<std::pair<Vertex, Vertex>> real;
    for (std::size_t i = 0; i < n; ++i) {
        auto e = edge(i);
        if (e.first == e.second) continue;
        auto back = count.find({e.second, e.first});
        if (back != count.end() && back->second > 0) {
            --back->second;
            --count[e];
            continue;
        }
        if (count[e] > 0) real.push_back(e);
    }
    return real;
}

class GeosContext {
public:
    GeosContext() : handle_(GEOS_init_r()) {}
    ~GeosContext() { GEOS_finish_r(handle_); }
    GEOSContextHandle_t get() const { return handle_; }

private:
    GEOSContextHandle_t handle_;
};

struct Check {
    double geos;  // GEOS in the test's local frame
    double geodesic;  // Vincenty to the nearest border point GEOS found
};

Check Independent(const GeosContext& geos, const std::vector<std::pair<Vertex, Vertex>>& edges, TFPoint p)
{
    const GEOSContextHandle_t h = geos.get();
    const double my = MetresPerDegreeLatitude(p.X), mx = MetresPerDegreeLongitude(p.X);
    std::vector<GEOSGeometry*> lines;
    for (const auto& [a, b] : edges) {
        GEOSCoordSequence* s = GEOSCoordSeq_create_r(h, 2, 2);
        GEOSCoordSeq_setXY_r(h, s, 0, (a.second - p.Y) * mx, (a.first - p.X) * my);
        GEOSCoordSeq_setXY_r(h, s, 1, (b.second - p.Y) * mx, (b.first - p.X) * my);
        lines.push_back(GEOSGeom_createLineString_r(h, s));
    }
    GEOSGeometry* border =
        GEOSGeom_createCollection_r(h, GEOS_MULTILINESTRING, lines.data(), static_cast<unsigned>(lines.size()));
    GEOSGeometry* point = GEOSGeom_createPointFromXY_r(h, 0.0, 0.0);
    Check check{};
    GEOSDistance_r(h, border, point, &check.geos);
    GEOSCoordSequence* nearest = GEOSNearestPoints_r(h, border, point);
    double x = 0, y = 0;
    GEOSCoordSeq_getXY_r(h, nearest, 0, &x, &y);
    check.geodesic = Vincenty(p.X, p.Y, p.X + y / my, p.Y + x / mx);
    GEOSCoordSeq_destroy_r(h, nearest);
    GEOSGeom_destroy_r(h, point);
    GEOSGeom_destroy_r(h, border);
    return check;
}

void ExpectAgrees(double ours, const Check& check, const char* what, TFPoint p)
{
    // 1%, and a few centimetres where both are tiny.
    EXPECT_NEAR(ours, check.geos, 0.01 * check.geos + 0.05) << what << " " << p.X << " " << p.Y;
    EXPECT_NEAR(ours, check.geodesic, 0.01 * check.geodesic + 0.05) << what << " " << p.X << " " << p.Y;
}

class ShippedBorders : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        map_ = new DistrictMap;
        for (int i = 0; i < DistrictCount; ++i)
            map_->SetPolygon(i, LoadPolygonFile(std::string(QL_DATA_DIR) + "/rlp_polygons/" +
                                                std::string(DistrictFileNames[static_cast<std::size_t>(i)]) + ".txt"));
    }
    static void TearDownTestSuite()
    {
        delete map_;
        map_ = nullptr;
    }
    static DistrictMap* map_;
    GeosContext geos_;
};
DistrictMap* ShippedBorders::map_ = nullptr;

TEST_F(ShippedBorders, RandomPointsOfEveryDistrictAgree)
{
    std::mt19937 random(36);
    for (int d = 0; d < DistrictCount; ++d) {
        const BorderIndex& border = map_->Border(d);
        ASSERT_FALSE(border.empty()) << DistrictNames[static_cast<std::size_t>(d)];
        const auto edges = RealEdgesByCounting((*map_)[d]);
        std::uniform_real_distribution<double> lat(border.low().X - 0.02, border.high().X + 0.02);
        std::uniform_real_distribution<double> lon(border.low().Y - 0.02, border.high().Y + 0.02);
        for (int k = 0; k < 25; ++k) {
            const TFPoint p{lat(random), lon(random)};
            ExpectAgrees(border.Distance(p), Independent(geos_, edges, p), "random", p);
        }
    }
}

TEST_F(ShippedBorders, PointsBesideTheBridgesAgree)
{
    // Points along and beside every bridge of the shipped rings: the bridge never counts.
    std::mt19937 random(12);
    std::uniform_real_distribution<double> along(0.0, 1.0), aside(-0.002, 0.002);
    int bridges = 0;
    for (int d = 0; d < DistrictCount; ++d) {
        const TPolyArray& ring = (*map_)[d];
        const std::vector<bool> bridge = BridgeEdges(ring);
        const auto edges = RealEdgesByCounting(ring);
        EXPECT_EQ(edges.size(), RealBorderEdges(ring).size()) << DistrictNames[static_cast<std::size_t>(d)];
        for (std::size_t i = 0; i < ring.size(); ++i) {
            if (!bridge[i]) continue;
            const TFPoint a = ring[i], b = ring[(i + 1) % ring.size()];
            if (a.X == b.X && a.Y == b.Y) continue;
            ++bridges;
            for (int k = 0; k < 3; ++k) {
                const double t = along(random);
                const TFPoint p{a.X + t * (b.X - a.X) + aside(random), a.Y + t * (b.Y - a.Y) + aside(random)};
                ExpectAgrees(map_->Border(d).Distance(p), Independent(geos_, edges, p), "bridge", p);
            }
        }
    }
    EXPECT_GT(bridges, 0);
}

TEST_F(ShippedBorders, CitiesThatAreHolesOfTheirLandkreisAgree)
{
    // Trier in Trier-Saarburg, Pirmasens in Südwestpfalz, Landau in Südliche Weinstraße:
    // points in the city measured to the Landkreis (its hole) and to the city itself.
    struct City {
        int city, landkreis;
        TFPoint centre;
    };
    const City cities[] = {{33, 21, {49.7557, 6.6394}}, {30, 20, {49.201, 7.605}}, {26, 19, {49.199, 8.118}}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> offset(-0.03, 0.03);
    for (const City& c : cities) {
        ASSERT_EQ(map_->Find(c.centre), c.city);  // the hole: the Landkreis does not hold it
        const auto cityEdges = RealEdgesByCounting((*map_)[c.city]);
        const auto landkreisEdges = RealEdgesByCounting((*map_)[c.landkreis]);
        for (int k = 0; k < 20; ++k) {
            const TFPoint p{c.centre.X + offset(random), c.centre.Y + offset(random)};
            ExpectAgrees(map_->Border(c.city).Distance(p), Independent(geos_, cityEdges, p), "city", p);
            ExpectAgrees(map_->Border(c.landkreis).Distance(p), Independent(geos_, landkreisEdges, p), "landkreis", p);
        }
    }
}

}  // namespace
}  // namespace ql

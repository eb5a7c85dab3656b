#include "geo/district_locator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/point_in_polygon.h"

namespace ql {

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

// Coordinates within this magnitude keep every product of the crossing
// expression finite, so the band arithmetic and the X limit below are sound.
constexpr double MaxIndexedMagnitude = 1e150;
// Heights below this could let an underflowed product grow by the division;
// a polygon with such an edge is searched as one band without X limit.
constexpr double MinIndexedHeight = 1e-290;

constexpr int MaxBands = 1 << 16;
// Long edges sit in many bands; the band count is halved until the copies
// stay within this many per edge.
constexpr std::size_t CopiesPerEdge = 8;

}  // namespace

int DistrictLocator::PolygonIndex::BandOf(double y) const
{
    if (bandCount == 1) return 0;
    // Monotone in y: an edge's bands from BandOf(low) to BandOf(high) include
    // the band of every y the edge's range contains.
    const double t = (y - minY) * bandScale;
    if (!(t > 0.0)) return 0;
    if (t >= bandCount) return bandCount - 1;
    return static_cast<int>(t);
}

bool DistrictLocator::PolygonIndex::Contains(TFPoint p) const
{
    // No edge is considered outside [minY, maxY); no crossing lies at or past xLimit.
    if (!(p.Y >= minY && p.Y < maxY)) return false;
    if (!(p.X < xLimit)) return false;
    const int band = BandOf(p.Y);
    bool inside = false;
    const Edge* e = edges.data() + bandStart[static_cast<std::size_t>(band)];
    const Edge* end = edges.data() + bandStart[static_cast<std::size_t>(band) + 1];
    for (; e != end; ++e) {
        if (EdgeConsidered(p, e->yi, e->yj) && EdgeCrossesRay(p, e->xi, e->yi, e->xj, e->yj)) inside = !inside;
    }
    return inside;
}

void DistrictLocator::BuildIndex(PolygonIndex& index, const TPolyArray& polygon)
{
    index = PolygonIndex{};
    index.source = polygon.data();
    index.sourceSize = polygon.size();

    // Only edges the rule can consider: a horizontal edge never is, and an edge
    // with a NaN coordinate is never considered or never crosses.
    std::vector<Edge> all;
    all.reserve(polygon.size());
    const std::size_t n = polygon.size();
    bool bounded = true;
    double minY = Infinity, maxY = -Infinity, minX = Infinity, maxX = -Infinity;
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint& a = polygon[i];
        const TFPoint& b = polygon[i + 1 == n ? 0 : i + 1];
        if (!(a.Y < b.Y || b.Y < a.Y)) continue;
        if (std::isnan(a.X) || std::isnan(b.X)) continue;
        all.push_back(Edge{a.X, a.Y, b.X, b.Y});
        minY = std::min({minY, a.Y, b.Y});
        maxY = std::max({maxY, a.Y, b.Y});
        minX = std::min({minX, a.X, b.X});
        maxX = std::max({maxX, a.X, b.X});
        if (!(std::fabs(a.X) <= MaxIndexedMagnitude && std::fabs(b.X) <= MaxIndexedMagnitude &&
              std::fabs(a.Y) <= MaxIndexedMagnitude && std::fabs(b.Y) <= MaxIndexedMagnitude &&
              std::fabs(b.Y - a.Y) >= MinIndexedHeight)) {
            bounded = false;
        }
    }
    if (all.empty()) {
        index.bandStart.assign(2, 0);
        return;  // the empty Y range contains no point
    }
    index.minY = minY;
    index.maxY = maxY;

    if (bounded) {
        // A crossing exceeds the largest vertex X by a few rounding steps at most.
        index.xLimit = maxX + 1e-12 * (std::fabs(maxX) + std::fabs(minX)) + 1e-30;
        index.bandCount = static_cast<int>(std::clamp<std::size_t>(all.size(), 1, MaxBands));
    } else {
        index.xLimit = Infinity;
        index.bandCount = 1;
    }

    std::size_t copies = 0;
    for (;;) {
        index.bandScale = index.bandCount / (maxY - minY);
        copies = 0;
        for (const Edge& e : all) {
            copies += static_cast<std::size_t>(index.BandOf(std::max(e.yi, e.yj)) - index.BandOf(std::min(e.yi, e.yj)) + 1);
        }
        if (index.bandCount == 1 || copies <= CopiesPerEdge * all.size()) break;
        index.bandCount /= 2;
    }

    const auto bands = static_cast<std::size_t>(index.bandCount);
    index.bandStart.assign(bands + 1, 0);
    for (const Edge& e : all) {
        const int last = index.BandOf(std::max(e.yi, e.yj));
        for (int b = index.BandOf(std::min(e.yi, e.yj)); b <= last; ++b) ++index.bandStart[static_cast<std::size_t>(b) + 1];
    }
    for (std::size_t b = 0; b < bands; ++b) index.bandStart[b + 1] += index.bandStart[b];
    index.edges.resize(copies);
    std::vector<std::uint32_t> fill(index.bandStart.begin(), index.bandStart.end() - 1);
    for (const Edge& e : all) {
        const int last = index.BandOf(std::max(e.yi, e.yj));
        for (int b = index.BandOf(std::min(e.yi, e.yj)); b <= last; ++b) index.edges[fill[static_cast<std::size_t>(b)]++] = e;
    }
}

void DistrictLocator::Build(const PolygonTable& table)
{
    for (std::size_t i = 0; i < table.size(); ++i) BuildIndex(polygons_[i], table[i]);
}

void DistrictLocator::Update(int district, const TPolyArray& polygon)
{
    BuildIndex(polygons_.at(static_cast<std::size_t>(district)), polygon);
}

void DistrictLocator::Refresh(const PolygonTable& table)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (polygons_[i].source != table[i].data() || polygons_[i].sourceSize != table[i].size()) {
            BuildIndex(polygons_[i], table[i]);
        }
    }
}

int DistrictLocator::Find(TFPoint p) const
{
    for (std::size_t i = 0; i < polygons_.size(); ++i) {
        if (polygons_[i].Contains(p)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace ql

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
    if (BandCount == 1) return 0;
    // Monotone in y: an edge's bands from BandOf(low) to BandOf(high) include
    // the band of every y the edge's range contains.
    const double t = (y - MinY) * BandScale;
    if (!(t > 0.0)) return 0;
    if (t >= BandCount) return BandCount - 1;
    return static_cast<int>(t);
}

bool DistrictLocator::PolygonIndex::Contains(TFPoint p) const
{
    // No edge is considered outside [MinY, MaxY).
    if (!(p.Y >= MinY && p.Y < MaxY)) return false;
    const Band& band = Bands[static_cast<std::size_t>(BandOf(p.Y))];
    // At or past XHigh no edge crosses; before XLow every considered edge
    // crosses, and a closed ring has an even number of them at any level.
    if (!(p.X < band.XHigh && p.X >= band.XLow)) return false;
    bool inside = false;
    const Edge* e = Edges.data() + band.Start;
    const Edge* end = Edges.data() + (&band + 1)->Start;
    for (; e != end; ++e) {
        if (EdgeConsidered(p, e->Yi, e->Yj) && EdgeCrossesRay(p, e->Xi, e->Yi, e->Xj, e->Yj)) inside = !inside;
    }
    return inside;
}

void DistrictLocator::BuildIndex(PolygonIndex& index, const TPolyArray& polygon)
{
    index = PolygonIndex{};

    // Only edges the rule can consider: a horizontal edge never is. An edge
    // with a NaN X is considered but never crosses: it is left out, and the
    // parity argument for XLow no longer holds.
    std::vector<Edge> all;
    all.reserve(polygon.size());
    const std::size_t n = polygon.size();
    bool bounded = true;
    bool evenRing = true;
    double minY = Infinity, maxY = -Infinity;
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint& a = polygon[i];
        const TFPoint& b = polygon[i + 1 == n ? 0 : i + 1];
        if (std::isnan(a.Y)) evenRing = false;  // the level crossings need not pair up
        if (!(a.Y < b.Y || b.Y < a.Y)) continue;
        if (std::isnan(a.X) || std::isnan(b.X)) {
            evenRing = false;
            continue;
        }
        all.push_back(Edge{a.X, a.Y, b.X, b.Y});
        minY = std::min({minY, a.Y, b.Y});
        maxY = std::max({maxY, a.Y, b.Y});
        if (!(std::fabs(a.X) <= MaxIndexedMagnitude && std::fabs(b.X) <= MaxIndexedMagnitude &&
              std::fabs(a.Y) <= MaxIndexedMagnitude && std::fabs(b.Y) <= MaxIndexedMagnitude &&
              std::fabs(b.Y - a.Y) >= MinIndexedHeight)) {
            bounded = false;
        }
    }
    if (all.empty()) {
        index.Bands.assign(2, Band{-Infinity, Infinity, 0});
        return;  // the empty Y range contains no point
    }
    index.MinY = minY;
    index.MaxY = maxY;
    index.BandCount = bounded ? static_cast<int>(std::clamp<std::size_t>(all.size(), 1, MaxBands)) : 1;

    std::size_t copies = 0;
    for (;;) {
        index.BandScale = index.BandCount / (maxY - minY);
        copies = 0;
        for (const Edge& e : all) {
            copies +=
                static_cast<std::size_t>(index.BandOf(std::max(e.Yi, e.Yj)) - index.BandOf(std::min(e.Yi, e.Yj)) + 1);
        }
        if (index.BandCount == 1 || copies <= CopiesPerEdge * all.size()) break;
        index.BandCount /= 2;
    }

    const auto bandCount = static_cast<std::size_t>(index.BandCount);
    index.Bands.assign(bandCount + 1, Band{Infinity, -Infinity, 0});
    for (const Edge& e : all) {
        const int last = index.BandOf(std::max(e.Yi, e.Yj));
        for (int b = index.BandOf(std::min(e.Yi, e.Yj)); b <= last; ++b) {
            Band& band = index.Bands[static_cast<std::size_t>(b)];
            ++index.Bands[static_cast<std::size_t>(b) + 1].Start;
            band.XLow = std::min({band.XLow, e.Xi, e.Xj});
            band.XHigh = std::max({band.XHigh, e.Xi, e.Xj});
        }
    }
    for (std::size_t b = 0; b < bandCount; ++b) {
        Band& band = index.Bands[b];
        index.Bands[b + 1].Start += band.Start;
        if (band.XLow > band.XHigh || !bounded) {
            band.XLow = -Infinity;  // no edge, or values the bounds cannot be trusted with
            band.XHigh = Infinity;
            continue;
        }
        // A crossing lies beyond its edge's X range by a few rounding steps at most.
        const double margin = 1e-12 * (std::fabs(band.XLow) + std::fabs(band.XHigh)) + 1e-30;
        band.XLow = evenRing ? band.XLow - margin : -Infinity;
        band.XHigh += margin;
    }
    index.Edges.resize(copies);
    std::vector<std::uint32_t> fill(bandCount);
    for (std::size_t b = 0; b < bandCount; ++b) fill[b] = index.Bands[b].Start;
    for (const Edge& e : all) {
        const int last = index.BandOf(std::max(e.Yi, e.Yj));
        for (int b = index.BandOf(std::min(e.Yi, e.Yj)); b <= last; ++b)
            index.Edges[fill[static_cast<std::size_t>(b)]++] = e;
    }
}

void DistrictLocator::Build(std::span<const TPolyArray> polygons)
{
    polygons_.assign(polygons.size(), PolygonIndex{});
    for (std::size_t i = 0; i < polygons.size(); ++i) BuildIndex(polygons_[i], polygons[i]);
}

void DistrictLocator::Update(std::size_t i, const TPolyArray& polygon)
{
    if (i >= polygons_.size()) polygons_.resize(i + 1);
    BuildIndex(polygons_[i], polygon);
}

std::optional<int> DistrictLocator::Find(TFPoint p) const
{
    for (std::size_t i = 0; i < polygons_.size(); ++i) {
        if (polygons_[i].Contains(p)) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace ql

#include "geo/border_distance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

// SSE: GCC and Clang say so; MSVC has it on every x86 and x64 target.
#if defined(__SSE__) || defined(_M_X64) || defined(_M_IX86)
#define QL_PREFETCH 1
#include <xmmintrin.h>
#endif

namespace ql {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double SemiMajorAxis = 6378137.0;          // WGS84
constexpr double EccentricitySquared = 0.00669437999014;

// A leaf holds at most this many edges unless the tree is this deep.
constexpr std::size_t LeafEdges = 16;
constexpr int MaxDepth = 20;
constexpr std::size_t MaxNodesPerEdge = 256;
constexpr double InteriorCellRatio = 3.0;
constexpr int GridLevel = 7;
constexpr int GridSide = 1 << GridLevel;
// Near the poles a degree of longitude shrinks to nothing; polygons reaching
// there are searched edge by edge.
constexpr double MaxIndexedLatitude = 80.0;
// Relative and absolute (metres) slack of a lookup's lower bound.
constexpr double BoundMargin = 1e-9;

// Asks for the cache line at p ahead of its use; nothing where the
// processor has no such hint.
inline void Prefetch(const void* p)
{
#if QL_PREFETCH
    _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
    (void)p;
#endif
}

bool Finite(TFPoint p)
{
    return std::isfinite(p.X) && std::isfinite(p.Y);
}

bool Same(TFPoint a, TFPoint b)
{
    return a.X == b.X && a.Y == b.Y;
}

// Squared distance from the origin to the segment a-b of the plane.
double OriginToSegmentSquared(double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    // Along the segment to the point nearest the origin, held to 0..1 by
    // selections the processor makes without a branch to mispredict.
    double t = length2 > 0.0 ? -(ax * dx + ay * dy) / length2 : 0.0;
    t = t > 0.0 ? t : 0.0;
    t = t < 1.0 ? t : 1.0;
    const double x = ax + t * dx, y = ay + t * dy;
    return x * x + y * y;
}

inline double SquaredMetres(TFPoint p, const BorderEdge& edge, const LocalFrame& frame)
{
    const double ax = (edge.a.Y - p.Y) * frame.metresPerDegreeLongitude;
    const double ay = (edge.a.X - p.X) * frame.metresPerDegreeLatitude;
    const double bx = (edge.b.Y - p.Y) * frame.metresPerDegreeLongitude;
    const double by = (edge.b.X - p.X) * frame.metresPerDegreeLatitude;
    return OriginToSegmentSquared(ax, ay, bx, by);
}

// The largest float not above v (v finite and not negative).
float FloatBelow(double v)
{
    float f = static_cast<float>(v);
    if (static_cast<double>(f) > v) f = std::nextafter(f, 0.0f);
    return f;
}

}  // namespace

LocalFrame LocalFrame::At(double latitude)
{
    const double phi = latitude * Pi / 180.0;
    const double s = std::sin(phi);
    const double w = 1.0 - EccentricitySquared * s * s;
    const double meridian = SemiMajorAxis * (1.0 - EccentricitySquared) / (w * std::sqrt(w));
    const double primeVertical = SemiMajorAxis / std::sqrt(w);
    return {meridian * Pi / 180.0, primeVertical * std::fabs(std::cos(phi)) * Pi / 180.0};
}

double SegmentDistanceMetres(TFPoint p, const BorderEdge& edge, const LocalFrame& frame)
{
    return std::sqrt(SquaredMetres(p, edge, frame));
}

std::vector<bool> BridgeEdges(const TPolyArray& ring)
{
    const std::size_t n = ring.size();
    std::vector<bool> bridge(n, false);
    // Each edge as its vertex pair in a fixed order, and whether it runs that way.
    struct Key {
        TFPoint low, high;
        bool forward;
        std::size_t edge;
    };
    auto less = [](TFPoint a, TFPoint b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); };
    std::vector<Key> keys;
    keys.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint a = ring[i], b = ring[i + 1 == n ? 0 : i + 1];
        if (Same(a, b)) {
            bridge[i] = true;  // no length: its own reverse
            continue;
        }
        if (!Finite(a) || !Finite(b)) continue;
        const bool forward = less(a, b);
        keys.push_back({forward ? a : b, forward ? b : a, forward, i});
    }
    auto keyLess = [&](const Key& k, const Key& m) {
        if (less(k.low, m.low)) return true;
        if (less(m.low, k.low)) return false;
        return less(k.high, m.high);
    };
    std::sort(keys.begin(), keys.end(), [&](const Key& k, const Key& m) {
        if (keyLess(k, m)) return true;
        if (keyLess(m, k)) return false;
        return k.edge < m.edge;
    });
    for (std::size_t g = 0; g < keys.size();) {
        std::size_t end = g + 1;
        while (end < keys.size() && !keyLess(keys[g], keys[end])) ++end;
        std::size_t forward = 0, backward = 0;
        for (std::size_t k = g; k < end; ++k) (keys[k].forward ? forward : backward)++;
        std::size_t pairs = std::min(forward, backward), f = 0, b = 0;
        for (std::size_t k = g; k < end; ++k) {
            std::size_t& used = keys[k].forward ? f : b;
            if (used < pairs) {
                bridge[keys[k].edge] = true;
                ++used;
            }
        }
        g = end;
    }
    return bridge;
}

std::vector<BorderEdge> RealBorderEdges(const TPolyArray& ring)
{
    const std::vector<bool> bridge = BridgeEdges(ring);
    const std::size_t n = ring.size();
    std::vector<BorderEdge> edges;
    edges.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint a = ring[i], b = ring[i + 1 == n ? 0 : i + 1];
        if (!bridge[i] && Finite(a) && Finite(b)) edges.push_back({a, b});
    }
    return edges;
}

std::vector<TPolyArray> BorderChains(const TPolyArray& ring)
{
    const std::vector<bool> bridge = BridgeEdges(ring);
    const std::size_t n = ring.size();
    auto real = [&](std::size_t i) {
        return !bridge[i] && Finite(ring[i]) && Finite(ring[i + 1 == n ? 0 : i + 1]);
    };
    std::vector<TPolyArray> chains;
    if (n == 0) return chains;
    // Start after a break, so that a run across the ring's end stays one chain.
    std::size_t start = 0;
    while (start < n && real(start)) ++start;
    if (start == n) {  // no break at all: the closed ring
        TPolyArray closed = ring;
        closed.push_back(ring.front());
        chains.push_back(std::move(closed));
        return chains;
    }
    TPolyArray chain;
    for (std::size_t k = 1; k <= n; ++k) {
        const std::size_t i = (start + k) % n;
        if (real(i)) {
            if (chain.empty()) chain.push_back(ring[i]);
            chain.push_back(ring[i + 1 == n ? 0 : i + 1]);
        } else if (!chain.empty()) {
            chains.push_back(std::move(chain));
            chain.clear();
        }
    }
    if (!chain.empty()) chains.push_back(std::move(chain));
    return chains;
}

void BorderIndex::Build(std::vector<BorderEdge> edges)
{
    *this = BorderIndex{};
    edges_ = std::move(edges);
    if (edges_.empty()) return;

    low_ = high_ = edges_.front().a;
    for (const BorderEdge& e : edges_) {
        for (TFPoint p : {e.a, e.b}) {
            low_ = {std::min(low_.X, p.X), std::min(low_.Y, p.Y)};
            high_ = {std::max(high_.X, p.X), std::max(high_.Y, p.Y)};
        }
    }
    // A square root (in metres at the middle) reaching half the edges' extent
    // beyond them on every side.
    const TFPoint centre{(low_.X + high_.X) / 2, (low_.Y + high_.Y) / 2};
    const LocalFrame mid = LocalFrame::At(centre.X);
    const double halfMetres = std::max({(high_.X - low_.X) * mid.metresPerDegreeLatitude,
                                        (high_.Y - low_.Y) * mid.metresPerDegreeLongitude, 1.0});
    Node root{centre, halfMetres / mid.metresPerDegreeLatitude, halfMetres / mid.metresPerDegreeLongitude, {}};
    // Near the poles, or with values no frame holds, every lookup reads every edge.
    if (!(std::fabs(centre.X) + root.halfLatitude < MaxIndexedLatitude && std::isfinite(root.halfLongitude)))
        return;

    nodes_.push_back(root);
    std::vector<std::uint32_t> all(edges_.size());
    std::iota(all.begin(), all.end(), 0u);
    BuildNode(0, all, 0);

    grid_.resize(static_cast<std::size_t>(GridSide) * GridSide);
    for (int row = 0; row < GridSide; ++row) {
        for (int column = 0; column < GridSide; ++column) {
            // A node above the grid's level splits on cell boundaries, so the
            // cell's centre goes where each of its points goes.
            const TFPoint c{root.centre.X - root.halfLatitude + (row + 0.5) * 2 * root.halfLatitude / GridSide,
                            root.centre.Y - root.halfLongitude + (column + 0.5) * 2 * root.halfLongitude / GridSide};
            std::uint32_t node = 0;
            for (int depth = 0; depth < GridLevel && nodes_[node].child >= 0; ++depth) {
                const Node& n = nodes_[node];
                node = static_cast<std::uint32_t>(n.child + ((c.Y >= n.centre.Y ? 1 : 0) | (c.X >= n.centre.X ? 2 : 0)));
            }
            grid_[static_cast<std::size_t>(row) * GridSide + static_cast<std::size_t>(column)] = node;
        }
    }
}

void BorderIndex::BuildNode(std::size_t node, const std::vector<std::uint32_t>& parent, int depth)
{
    const Node box = nodes_[node];
    // Distances from the cell's centre in the centre's own frame. A point of
    // the cell measures in its own frame, which stretches this one by the two
    // ratios of its metres per degree to the centre's; over the cell's
    // latitudes the larger ratio over the smaller stays below `spread`. With h
    // the cell's half diagonal, the point's nearest edge then lies within
    // spread * (nearest + h) + h of the centre.
    const LocalFrame frame = LocalFrame::At(box.centre.X);
    double spread = 1.0;
    for (double lat : {box.centre.X - box.halfLatitude, box.centre.X + box.halfLatitude}) {
        const LocalFrame f = LocalFrame::At(lat);
        const double ru = f.metresPerDegreeLongitude / frame.metresPerDegreeLongitude;
        const double rv = f.metresPerDegreeLatitude / frame.metresPerDegreeLatitude;
        spread = std::max(spread, std::max(ru, rv) / std::min(ru, rv));
    }
    spread *= 1.001;  // the ratios are monotone over a cell; this covers the rest
    std::vector<double> distance(parent.size());
    double nearest = NoDistance;
    for (std::size_t k = 0; k < parent.size(); ++k) {
        distance[k] = SegmentDistanceMetres(box.centre, edges_[parent[k]], frame);
        nearest = std::min(nearest, distance[k]);
    }
    const double h = std::hypot(box.halfLatitude * frame.metresPerDegreeLatitude,
                                box.halfLongitude * frame.metresPerDegreeLongitude);
    const double reach = (spread * (nearest + h) + h) * (1 + 1e-9) + 1e-9;
    std::vector<std::uint32_t> kept;
    for (std::size_t k = 0; k < parent.size(); ++k)
        if (distance[k] <= reach) kept.push_back(parent[k]);
    nodes_[node].frame = frame;

    // Far inside, the edges that compete for nearest thin out only slowly as
    // the cell shrinks: a cell small beside its distance to the border stays
    // whole, and so does one small beside the spread's share.
    const bool small = h * InteriorCellRatio < nearest || h * 8 < (spread - 1) * nearest;
    if (kept.size() <= LeafEdges || depth >= MaxDepth || small || nodes_.size() > MaxNodesPerEdge * edges_.size()) {
        const auto begin = candidates_.size();
        for (std::size_t k = 0; k < parent.size(); ++k)
            if (distance[k] <= reach) candidates_.push_back({FloatBelow(distance[k]), parent[k]});
        // Nearest first; equal distances in the edges' order.
        std::sort(candidates_.begin() + static_cast<std::ptrdiff_t>(begin), candidates_.end(),
                  [](const Candidate& x, const Candidate& y) {
                      return x.centreMetres < y.centreMetres || (x.centreMetres == y.centreMetres && x.edge < y.edge);
                  });
        nodes_[node].begin = static_cast<std::uint32_t>(begin);
        nodes_[node].end = static_cast<std::uint32_t>(candidates_.size());
        return;
    }
    const auto first = static_cast<std::int32_t>(nodes_.size());
    nodes_[node].child = first;
    const double qLat = box.halfLatitude / 2, qLon = box.halfLongitude / 2;
    for (int k = 0; k < 4; ++k) {
        // Child k: bit 0 the eastern half, bit 1 the northern half.
        const TFPoint c{box.centre.X + ((k & 2) ? qLat : -qLat), box.centre.Y + ((k & 1) ? qLon : -qLon)};
        nodes_.push_back(Node{c, qLat, qLon, {}});
    }
    for (int k = 0; k < 4; ++k) BuildNode(static_cast<std::size_t>(first + k), kept, depth + 1);
}

double BorderIndex::DistancePlain(TFPoint p) const
{
    const LocalFrame frame = LocalFrame::At(p.X);
    double best = NoDistance;
    for (const BorderEdge& e : edges_) best = std::min(best, SquaredMetres(p, e, frame));
    return std::sqrt(best);
}

std::ptrdiff_t BorderIndex::GridCell(TFPoint p) const
{
    if (nodes_.empty()) return -1;
    const Node& root = nodes_.front();
    if (!(std::fabs(p.X - root.centre.X) <= root.halfLatitude && std::fabs(p.Y - root.centre.Y) <= root.halfLongitude))
        return -1;
    const auto cell = [](double offset, double half) {
        return std::clamp(static_cast<int>(offset / (2 * half) * GridSide), 0, GridSide - 1);
    };
    const int row = cell(p.X - (root.centre.X - root.halfLatitude), root.halfLatitude);
    const int column = cell(p.Y - (root.centre.Y - root.halfLongitude), root.halfLongitude);
    return static_cast<std::ptrdiff_t>(row) * GridSide + column;
}

const BorderIndex::Node& BorderIndex::LeafBelow(std::uint32_t node, TFPoint p) const
{
    const Node* n = &nodes_[node];
    while (n->child >= 0) {
        const int k = (p.Y >= n->centre.Y ? 1 : 0) | (p.X >= n->centre.X ? 2 : 0);
        n = &nodes_[static_cast<std::size_t>(n->child + k)];
    }
    return *n;
}

double BorderIndex::Distance(TFPoint p) const
{
    const std::ptrdiff_t cell = GridCell(p);
    if (cell < 0) return DistancePlain(p);
    return DistanceInLeaf(p, LeafBelow(grid_[static_cast<std::size_t>(cell)], p));
}

void BorderIndex::Distances(std::span<const TFPoint> points, std::span<double> metres) const
{
    // Three steps ahead of the measuring: the grid cell of a point `Ahead`
    // times ahead is asked for, then its node, then the start of its leaf's
    // list, each while the points behind it are measured.
    constexpr std::size_t Ahead = 2, Ring = 4 * Ahead;
    std::ptrdiff_t cells[Ring];
    std::uint32_t leaves[Ring];
    const std::size_t n = std::min(points.size(), metres.size());
    for (std::size_t i = 0; i < n + 3 * Ahead; ++i) {
        if (i < n) {
            cells[i % Ring] = GridCell(points[i]);
            if (cells[i % Ring] >= 0) Prefetch(&grid_[static_cast<std::size_t>(cells[i % Ring])]);
        }
        if (i >= Ahead && i - Ahead < n) {
            const std::size_t k = i - Ahead;
            if (cells[k % Ring] >= 0) Prefetch(&nodes_[grid_[static_cast<std::size_t>(cells[k % Ring])]]);
        }
        if (i >= 2 * Ahead && i - 2 * Ahead < n) {
            const std::size_t k = i - 2 * Ahead;
            if (cells[k % Ring] >= 0) {
                const Node& leaf = LeafBelow(grid_[static_cast<std::size_t>(cells[k % Ring])], points[k]);
                leaves[k % Ring] = static_cast<std::uint32_t>(&leaf - nodes_.data());
                if (leaf.begin < leaf.end) Prefetch(&candidates_[leaf.begin]);
            }
        }
        if (i >= 3 * Ahead) {
            const std::size_t k = i - 3 * Ahead;
            metres[k] = cells[k % Ring] < 0 ? DistancePlain(points[k]) : DistanceInLeaf(points[k], nodes_[leaves[k % Ring]]);
        }
    }
}

double BorderIndex::DistanceInLeaf(TFPoint p, const Node& node) const
{
    // An edge lies at least its distance from the centre less p's, both in
    // the centre's frame, from p; p's own frame stretches that by at least
    // `scale`. Once that bound reaches the nearest edge so far, no later
    // candidate can be nearer. The margin covers the rounding of the bound.
    const LocalFrame frame = LocalFrame::At(p.X);
    const double north = (p.X - node.centre.X) * node.frame.metresPerDegreeLatitude;
    const double east = (p.Y - node.centre.Y) * node.frame.metresPerDegreeLongitude;
    const double offset = std::sqrt(north * north + east * east);
    const double scale = std::min(frame.metresPerDegreeLatitude / node.frame.metresPerDegreeLatitude,
                                  frame.metresPerDegreeLongitude / node.frame.metresPerDegreeLongitude);
    double best = NoDistance;
    for (std::uint32_t i = node.begin; i < node.end; ++i) {
        const Candidate& c = candidates_[i];
        const double bound = (static_cast<double>(c.centreMetres) - offset) * scale * (1 - BoundMargin) - BoundMargin;
        if (bound > 0 && bound * bound >= best) break;
        const double squared = SquaredMetres(p, edges_[c.edge], frame);
        best = squared < best ? squared : best;
    }
    return std::sqrt(best);
}

}  // namespace ql

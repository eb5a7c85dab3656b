#include "geo/border_distance.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdint>
#include <numeric>
#include <utility>

namespace ql {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double SemiMajorAxis = 6378137.0;          // WGS84
constexpr double EccentricitySquared = 0.00669437999014;

// The slack of a box's lower bound against the rounding of an edge's
// distance (relative, on squared metres).
constexpr double BoundMargin = 1e-9;

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

// Squared metres from p to the box in p's frame: no edge inside the box lies nearer.
inline double SquaredMetresToBox(TFPoint p, TFPoint low, TFPoint high, const LocalFrame& frame)
{
    const double north = std::max({low.X - p.X, 0.0, p.X - high.X}) * frame.metresPerDegreeLatitude;
    const double east = std::max({low.Y - p.Y, 0.0, p.Y - high.Y}) * frame.metresPerDegreeLongitude;
    return north * north + east * east;
}

// The place of (x, y), both in 0 .. 2^16 - 1, along a Hilbert curve over that grid.
std::uint32_t HilbertKey(std::uint32_t x, std::uint32_t y)
{
    constexpr std::uint32_t Side = 1u << 16;
    std::uint32_t key = 0;
    for (std::uint32_t s = Side / 2; s > 0; s /= 2) {
        const std::uint32_t rx = (x & s) ? 1 : 0, ry = (y & s) ? 1 : 0;
        key += s * s * ((3 * rx) ^ ry);
        if (ry == 0) {
            if (rx == 1) {
                x = Side - 1 - x;
                y = Side - 1 - y;
            }
            std::swap(x, y);
        }
    }
    return key;
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
    if (edges.empty()) return;

    low_ = high_ = edges.front().a;
    for (const BorderEdge& e : edges) {
        for (TFPoint p : {e.a, e.b}) {
            low_ = {std::min(low_.X, p.X), std::min(low_.Y, p.Y)};
            high_ = {std::max(high_.X, p.X), std::max(high_.Y, p.Y)};
        }
    }

    // The edges along the curve through their midpoints, so that the edges of
    // one group lie together.
    const double spanX = high_.X - low_.X, spanY = high_.Y - low_.Y;
    const auto cell = [](double offset, double span) {
        const double v = span > 0 ? offset / span * 65535.0 : 0.0;
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 65535.0));
    };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const BorderEdge& e = edges[i];
        order[i] = {HilbertKey(cell((e.a.X + e.b.X) / 2 - low_.X, spanX), cell((e.a.Y + e.b.Y) / 2 - low_.Y, spanY)),
                    static_cast<std::uint32_t>(i)};
    }
    std::sort(order.begin(), order.end());
    edges_.reserve(edges.size());
    for (const auto& [key, i] : order) edges_.push_back(edges[i]);
    order = {};
    edges = {};

    // The leaves' boxes, then each level's from the one below, up to the root.
    std::size_t count = (edges_.size() + Fanout - 1) / Fanout, total = count;
    for (std::size_t level = count; level > 1;) total += level = (level + Fanout - 1) / Fanout;
    boxes_.reserve(total);
    levelStart_.push_back(0);
    for (std::size_t leaf = 0; leaf < count; ++leaf) {
        const std::size_t end = std::min(edges_.size(), (leaf + 1) * Fanout);
        Box box{edges_[leaf * Fanout].a, edges_[leaf * Fanout].a};
        for (std::size_t i = leaf * Fanout; i < end; ++i) {
            for (TFPoint p : {edges_[i].a, edges_[i].b}) {
                box.low = {std::min(box.low.X, p.X), std::min(box.low.Y, p.Y)};
                box.high = {std::max(box.high.X, p.X), std::max(box.high.Y, p.Y)};
            }
        }
        boxes_.push_back(box);
    }
    while (count > 1) {
        const std::size_t below = levelStart_.back();
        const std::size_t upper = (count + Fanout - 1) / Fanout;
        levelStart_.push_back(boxes_.size());
        for (std::size_t k = 0; k < upper; ++k) {
            const std::size_t end = std::min(count, (k + 1) * Fanout);
            Box box = boxes_[below + k * Fanout];
            for (std::size_t i = k * Fanout + 1; i < end; ++i) {
                const Box& child = boxes_[below + i];
                box.low = {std::min(box.low.X, child.low.X), std::min(box.low.Y, child.low.Y)};
                box.high = {std::max(box.high.X, child.high.X), std::max(box.high.Y, child.high.Y)};
            }
            boxes_.push_back(box);
        }
        count = upper;
    }
}

std::size_t BorderIndex::MemoryBytes() const
{
    return edges_.capacity() * sizeof(BorderEdge) + boxes_.capacity() * sizeof(Box) +
           levelStart_.capacity() * sizeof(std::size_t);
}

double BorderIndex::DistancePlain(TFPoint p) const
{
    const LocalFrame frame = LocalFrame::At(p.X);
    double best = NoDistance;
    for (const BorderEdge& e : edges_) best = std::min(best, SquaredMetres(p, e, frame));
    return std::sqrt(best);
}

double BorderIndex::Distance(TFPoint p) const
{
    if (edges_.empty()) return NoDistance;
    const LocalFrame frame = LocalFrame::At(p.X);
    // Boxes still to look at, with their level and their squared lower bound;
    // the nearest of a node's children is taken first. Each level adds at
    // most Fanout entries, so a fixed stack holds every tree of 32-bit sizes.
    struct Pending {
        double bound;
        std::uint32_t level;
        std::size_t box;
    };
    constexpr std::size_t MaxLevels = 12;
    std::array<Pending, MaxLevels * Fanout + 1> stack;
    std::size_t top = 0;
    const std::size_t rootLevel = levelStart_.size() - 1;
    stack[top++] = {0.0, static_cast<std::uint32_t>(rootLevel), 0};
    double best = NoDistance;
    while (top > 0) {
        const Pending node = stack[--top];
        // A box no nearer than the nearest edge so far holds no nearer one;
        // the margin keeps an edge whose distance rounds below the box's.
        if (node.bound * (1 - BoundMargin) > best) continue;
        if (node.level == 0) {
            const std::size_t end = std::min(edges_.size(), (node.box + 1) * Fanout);
            for (std::size_t i = node.box * Fanout; i < end; ++i) {
                const double squared = SquaredMetres(p, edges_[i], frame);
                best = squared < best ? squared : best;
            }
            continue;
        }
        // The children, farthest pushed first so that the nearest comes off next.
        const std::size_t below = levelStart_[node.level - 1];
        const std::size_t belowCount = levelStart_[node.level] - below;
        const std::size_t first = node.box * Fanout, end = std::min(belowCount, first + Fanout);
        std::array<Pending, Fanout> children;
        std::size_t n = 0;
        for (std::size_t i = first; i < end; ++i) {
            const Box& box = boxes_[below + i];
            const double bound = SquaredMetresToBox(p, box.low, box.high, frame);
            if (bound * (1 - BoundMargin) > best) continue;
            Pending child{bound, node.level - 1, i};
            std::size_t k = n++;
            for (; k > 0 && children[k - 1].bound < bound; --k) children[k] = children[k - 1];
            children[k] = child;
        }
        for (std::size_t k = 0; k < n; ++k) stack[top++] = children[k];
    }
    return std::sqrt(best);
}

void BorderIndex::Distances(std::span<const TFPoint> points, std::span<double> metres) const
{
    const std::size_t n = std::min(points.size(), metres.size());
    for (std::size_t i = 0; i < n; ++i) metres[i] = Distance(points[i]);
}

}  // namespace ql

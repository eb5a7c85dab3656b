#pragma once
// Distances from a point to the real border of a district polygon, in metres
// on the WGS84 ellipsoid. A polygon file joins holes and further parts into
// one ring by zero-width bridges: an edge that the ring also runs in the
// opposite direction is such a bridge and is no border.

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "geo/point.h"

namespace ql {

// Metres per degree of latitude and of longitude at one latitude (WGS84):
// the local equirectangular frame of a point, good to well below 1% within
// tens of kilometres.
struct LocalFrame {
    double metresPerDegreeLatitude = 0.0;
    double metresPerDegreeLongitude = 0.0;

    static LocalFrame At(double latitude);
};

struct BorderEdge {
    TFPoint a, b;
};

// Distance in metres from p to the segment a-b, measured in p's local frame.
double SegmentDistanceMetres(TFPoint p, const BorderEdge& edge, const LocalFrame& frame);

// For each edge i (vertex i to vertex i + 1, the last back to the first): true
// when it is a bridge. Edges of one vertex pair are paired off by direction:
// with f edges a->b and g edges b->a, min(f, g) of each direction are bridges.
// An edge of zero length counts as its own reverse.
std::vector<bool> BridgeEdges(const TPolyArray& ring);

// The edges of the ring that are real border, in ring order; edges with a
// coordinate that is not finite are left out.
std::vector<BorderEdge> RealBorderEdges(const TPolyArray& ring);

// The real border as polylines: runs of consecutive real edges, for drawing
// an outline that never shows a bridge.
std::vector<TPolyArray> BorderChains(const TPolyArray& ring);

constexpr double NoDistance = std::numeric_limits<double>::infinity();

// Nearest-edge search over a fixed set of edges: a bounding-box tree. The
// edges are ordered along a space-filling curve through their midpoints and
// grouped by `Fanout` into leaves, the leaves by `Fanout` into nodes, and so
// on up to one root; every group keeps the box around its edges. A lookup
// walks down nearest box first and skips every box farther than the nearest
// edge found so far. Memory is the edges and one box per `Fanout` edges (some
// 37 bytes an edge); building takes one sort, whatever the ring's shape.
class BorderIndex {
public:
    void Build(std::vector<BorderEdge> edges);

    bool empty() const { return edges_.empty(); }
    // The bounding box of the edges (latitude, longitude); meaningless when empty.
    TFPoint low() const { return low_; }
    TFPoint high() const { return high_; }

    // Metres from p to the nearest edge; NoDistance without edges.
    double Distance(TFPoint p) const;
    // The same for many points: metres[i] for points[i].
    void Distances(std::span<const TFPoint> points, std::span<double> metres) const;

    // The same by reading every edge: the plain search the index must agree with.
    double DistancePlain(TFPoint p) const;

    // Bytes the index holds (edges and boxes), for the benchmark.
    std::size_t MemoryBytes() const;

    static constexpr std::size_t Fanout = 8;

private:
    struct Box {
        TFPoint low, high;
    };

    std::vector<BorderEdge> edges_;  // in curve order
    // The boxes level by level, leaves first: level k's boxes start at
    // levelStart_[k]; box i of a level covers boxes (or edges) Fanout * i to
    // Fanout * i + Fanout - 1 of the level below. The last level is the root.
    std::vector<Box> boxes_;
    std::vector<std::size_t> levelStart_;
    TFPoint low_{}, high_{};
};

}  // namespace ql

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

// Nearest-edge search over a fixed set of edges. A quadtree over latitude
// and longitude keeps in each cell the edges that can be nearest for some
// point of that cell, nearest to the cell's centre first, so a lookup reads
// the start of one short list; points far outside the edges' extent are
// measured against every edge.
class BorderIndex {
public:
    void Build(std::vector<BorderEdge> edges);

    bool empty() const { return edges_.empty(); }
    // The bounding box of the edges (latitude, longitude); meaningless when empty.
    TFPoint low() const { return low_; }
    TFPoint high() const { return high_; }

    // Metres from p to the nearest edge; NoDistance without edges.
    double Distance(TFPoint p) const;
    // The same for many points: metres[i] for points[i]. Read together, the
    // index of the points ahead loads while one is measured.
    void Distances(std::span<const TFPoint> points, std::span<double> metres) const;

    // The same by reading every edge: the plain search the index must agree with.
    double DistancePlain(TFPoint p) const;

private:
    struct Node {
        TFPoint centre;
        double halfLatitude, halfLongitude;
        LocalFrame frame;                  // the centre's
        std::int32_t child = -1;           // first of four children, -1 for a leaf
        std::uint32_t begin = 0, end = 0;  // the leaf's edges in candidates_
    };
    // A leaf's edge (its index) with its distance from the leaf's centre in
    // the centre's frame, rounded down. Leaves share their edges many times
    // over, so this stays small.
    struct Candidate {
        float centreMetres;
        std::uint32_t edge;
    };

    void BuildNode(std::size_t node, const std::vector<std::uint32_t>& parent, int depth);
    // The grid cell of p, or -1 for a point the grid does not cover.
    std::ptrdiff_t GridCell(TFPoint p) const;
    const Node& LeafBelow(std::uint32_t node, TFPoint p) const;
    double DistanceInLeaf(TFPoint p, const Node& leaf) const;

    std::vector<BorderEdge> edges_;
    std::vector<Node> nodes_;
    std::vector<Candidate> candidates_;  // the leaves' edges in leaf order, each leaf's nearest to its centre first
    // The deepest node above each cell of a uniform grid over the root, so a
    // lookup starts some levels down.
    std::vector<std::uint32_t> grid_;
    TFPoint low_{}, high_{};
};

}  // namespace ql

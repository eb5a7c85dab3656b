#pragma once
// The crossing rule for one ring, answered in bounded work per point whatever
// the ring's shape: long spikes, a vertex far away, millions of vertices.
//
// The Y range of the ring is cut into slices at the Y values of its vertices,
// each slice holding the ends of only a few edges. An edge that ends inside a
// slice is kept in that slice's short list. Where an edge spans whole slices,
// it is kept in a segment tree over the slices: in the few nodes whose slices
// together make up its span, so that within a node every edge spans the
// node's whole Y range. A point's Y picks one slice; its short list and the
// nodes from its leaf up to the root hold every edge the rule considers for
// it. Within a node the edges are kept in chains ordered along X (edges of a
// ring that does not cross itself never change order inside a node's range),
// so a binary search finds where the point lies among them: the edges well
// to its right all cross, those well to its left none, and only the few near
// it are tested with the rule's own expression. Edges whose values the
// search cannot be trusted with (beyond 1e150, not finite, of almost no
// height) are tested one by one for every point.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geo/point.h"

namespace ql {

class RingIndex {
public:
    RingIndex() = default;  // a ring without vertices: contains no point
    explicit RingIndex(const TPolyArray& ring);

    // Exactly PointInPolygon(p, ring).
    bool Contains(TFPoint p) const;

private:
    struct Edge {
        double Xi, Yi, Xj, Yj;
    };
    // Entries from the previous chain's end up to End, ordered along X. Within
    // Margin of a point's X the order may be off by rounding; an unordered
    // node's one chain has an infinite margin (every edge tested).
    struct Chain {
        std::uint32_t End;
        double Margin;
    };
    class Builder;

    std::size_t SliceOf(double y) const;
    std::size_t BucketOf(double y) const;
    bool ChainParity(const Chain& chain, std::uint32_t begin, TFPoint p) const;
    double Crossing(std::uint32_t edge, double y) const;

    std::vector<Edge> edges_;  // the edges of the slices and the tree
    std::vector<Edge> lone_;  // tested one by one for every point
    // Slice k is [bounds_[k], bounds_[k + 1]).
    std::vector<double> bounds_;
    // Edges ending inside slice k: shortEdges_[shortStart_[k]] up to shortStart_[k + 1].
    std::vector<std::uint32_t> shortStart_;
    std::vector<std::uint32_t> shortEdges_;
    // Slices by equal steps of Y, for finding a point's slice: the slices
    // from bucketFirst_[b] - 1 up to bucketFirst_[b + 1] - 1 hold bucket b.
    std::vector<std::uint32_t> bucketFirst_;
    double bucketScale_ = 0.0;
    std::size_t leaves_ = 0;  // the tree's leaves: a power of two, at least the slice count
    // The X range of the edges a point in slice k may meet: at or past its
    // High none crosses, before its Low all that are considered do.
    struct Range {
        double Low, High;
    };
    std::vector<Range> sliceX_;
    std::vector<std::uint32_t> nodeChains_;  // node v: chains [nodeChains_[v], nodeChains_[v + 1])
    // The nearest ancestor of node v that holds edges (0: none), so that a
    // point's walk up the tree skips the empty nodes.
    std::vector<std::uint32_t> nextNode_;
    std::vector<Chain> chains_;
    std::vector<std::uint32_t> entries_;  // edge numbers, chain by chain
    // No edge is considered outside [minY, maxY); at or past maxX none
    // crosses a point's ray, before minX all that are considered do (so for
    // every slice).
    double minY_ = 1.0;
    double maxY_ = 0.0;
    double minX_ = 0.0;
    double maxX_ = 0.0;
    // Every level is crossed by an even number of edges: a closed ring of
    // finite values, none tested one by one.
    bool evenRing_ = false;
};

}  // namespace ql

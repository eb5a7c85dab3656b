#include "geo/ring_index.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "geo/point_in_polygon.h"

namespace ql {

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

// Coordinates within this magnitude keep every product of the crossing
// expression finite.
constexpr double MaxIndexedMagnitude = 1e150;
// Heights below this could let an underflowed product grow by the division.
constexpr double MinIndexedHeight = 1e-290;

// The crossing expression lies within a few units in the last place of its
// edge's X magnitudes (plus an underflow's share, far below the absolute
// part); the margins are many times that.
constexpr double RelativeMargin = 1e-13;
constexpr double AbsoluteMargin = 1e-30;

// Edge ends a slice holds inside it, at most (more where many share one Y).
constexpr std::size_t EndsPerSlice = 8;

// A node whose edges cross each other so often that they need more chains
// than one per this many edges, or more than MostChains, is searched edge by
// edge (a ring that crosses itself that often has no bound on the work).
constexpr std::size_t EdgesPerChain = 8;
constexpr std::size_t MostChains = 32;

// Chains of up to this many edges are tested edge by edge, without a search.
constexpr std::uint32_t ShortChain = 8;

bool Indexable(double xi, double yi, double xj, double yj)
{
    return std::fabs(xi) <= MaxIndexedMagnitude && std::fabs(xj) <= MaxIndexedMagnitude &&
           std::fabs(yi) <= MaxIndexedMagnitude && std::fabs(yj) <= MaxIndexedMagnitude &&
           std::fabs(yj - yi) >= MinIndexedHeight;
}

// Calls visit(node) for the nodes whose ranges together make up the leaves
// [first, last) of a tree with `leaves` leaves.
template <class Visit>
void ForEachCoveringNode(std::size_t leaves, std::size_t first, std::size_t last, Visit&& visit)
{
    for (std::size_t l = first + leaves, r = last + leaves; l < r; l >>= 1, r >>= 1) {
        if (l & 1) visit(l++);
        if (r & 1) visit(--r);
    }
}

}  // namespace

// Builds the slices and the tree, with working space reused from node to node.
class RingIndex::Builder {
public:
    explicit Builder(RingIndex& index) : x_(index) {}
    void Slices();
    void Tree();
    void SliceRanges(double margin);

private:
    // Where an edge lies among the slices: whole slices [FirstFull, FullEnd),
    // and the slices in which it ends inside (none, one or two).
    struct Span {
        std::size_t FirstFull, FullEnd;
        std::size_t Short[2];
        int ShortCount;
    };
    Span SpanOf(const Edge& e) const;
    void OrderNode(std::size_t node, std::size_t low, std::size_t high);

    struct Key {
        double C0, C1;
        std::uint32_t Edge;
    };

    RingIndex& x_;
    std::vector<Key> keys_;
    std::vector<double> tails_;
    std::vector<std::uint32_t> tailChain_, chainOf_, chainStart_;
    std::vector<double> chainMagnitude_;
    std::vector<Range> nodeX_;  // the X range of each node's edges within its range of Y
};

RingIndex::RingIndex(const TPolyArray& ring)
{
    const std::size_t n = ring.size();
    bool levelsPair = true;  // no vertex whose Y is NaN: every level meets the ring an even number of times
    minX_ = Infinity;
    maxX_ = -Infinity;
    double magnitude = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint& a = ring[i];
        const TFPoint& b = ring[i + 1 == n ? 0 : i + 1];
        if (std::isnan(a.Y)) levelsPair = false;
        if (!(a.Y < b.Y || b.Y < a.Y)) continue;  // the rule never considers it
        const Edge e{a.X, a.Y, b.X, b.Y};
        if (!Indexable(a.X, a.Y, b.X, b.Y)) {
            lone_.push_back(e);
            continue;
        }
        edges_.push_back(e);
        minX_ = std::min({minX_, a.X, b.X});
        maxX_ = std::max({maxX_, a.X, b.X});
        magnitude = std::max({magnitude, std::fabs(a.X), std::fabs(b.X)});
    }
    evenRing_ = levelsPair && lone_.empty();
    if (edges_.empty()) return;
    const double margin = 2 * RelativeMargin * magnitude + AbsoluteMargin;
    minX_ -= margin;
    maxX_ += margin;
    Builder builder(*this);
    builder.Slices();
    builder.Tree();
    builder.SliceRanges(margin);
}

void RingIndex::Builder::Slices()
{
    std::vector<double> ends;
    ends.reserve(2 * x_.edges_.size());
    for (const Edge& e : x_.edges_) {
        ends.push_back(e.Yi);
        ends.push_back(e.Yj);
    }
    std::sort(ends.begin(), ends.end());

    // A level becomes a slice's bound when the slice already holds as many
    // ends inside it as it may; the first and last levels are bounds.
    auto& bounds = x_.bounds_;
    bounds.push_back(ends.front());
    std::size_t inside = 0;
    for (std::size_t i = 0; i < ends.size();) {
        std::size_t j = i;
        while (j < ends.size() && ends[j] == ends[i]) ++j;
        if (ends[i] != bounds.back()) {
            if (j == ends.size()) {
                bounds.push_back(ends[i]);
            } else if (inside + (j - i) <= EndsPerSlice) {
                inside += j - i;
            } else {
                bounds.push_back(ends[i]);
                inside = 0;
            }
        }
        i = j;
    }
    bounds.shrink_to_fit();
    x_.minY_ = bounds.front();
    x_.maxY_ = bounds.back();
    const std::size_t slices = bounds.size() - 1;

    // The buckets: BucketOf never decreases with Y, so the bounds' buckets
    // never decrease with their index.
    x_.bucketScale_ = static_cast<double>(slices) / (x_.maxY_ - x_.minY_);
    x_.bucketFirst_.assign(slices + 1, 0);
    for (std::size_t k = 0; k <= slices; ++k) {
        const std::size_t bucket = x_.BucketOf(bounds[k]);
        if (bucket + 1 <= slices) ++x_.bucketFirst_[bucket + 1];
    }
    for (std::size_t b = 0; b < slices; ++b) x_.bucketFirst_[b + 1] += x_.bucketFirst_[b];

    // The short lists.
    std::vector<std::uint32_t>& start = x_.shortStart_;
    start.assign(slices + 1, 0);
    for (const Edge& e : x_.edges_) {
        const Span s = SpanOf(e);
        for (int k = 0; k < s.ShortCount; ++k) ++start[s.Short[k] + 1];
    }
    for (std::size_t k = 0; k < slices; ++k) start[k + 1] += start[k];
    x_.shortEdges_.resize(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < x_.edges_.size(); ++i) {
        const Span s = SpanOf(x_.edges_[i]);
        for (int k = 0; k < s.ShortCount; ++k) x_.shortEdges_[fill[s.Short[k]]++] = static_cast<std::uint32_t>(i);
    }
}

RingIndex::Builder::Span RingIndex::Builder::SpanOf(const Edge& e) const
{
    const std::vector<double>& bounds = x_.bounds_;
    const double low = std::min(e.Yi, e.Yj), high = std::max(e.Yi, e.Yj);
    const std::size_t lowSlice = x_.SliceOf(low);
    const std::size_t highBound = high == x_.maxY_ ? bounds.size() - 1 : x_.SliceOf(high);  // the last bound not above
    const bool lowInside = bounds[lowSlice] < low;
    const bool highInside = bounds[highBound] < high;
    Span s{lowInside ? lowSlice + 1 : lowSlice, highBound, {0, 0}, 0};
    if (lowInside) s.Short[s.ShortCount++] = lowSlice;
    if (highInside && !(lowInside && highBound == lowSlice)) s.Short[s.ShortCount++] = highBound;
    return s;
}

void RingIndex::Builder::Tree()
{
    const std::size_t slices = x_.bounds_.size() - 1;
    const std::size_t leaves = std::bit_ceil(slices);
    x_.leaves_ = leaves;
    std::vector<std::size_t> start(2 * leaves + 1, 0);
    for (const Edge& e : x_.edges_) {
        const Span s = SpanOf(e);
        if (s.FirstFull < s.FullEnd)
            ForEachCoveringNode(leaves, s.FirstFull, s.FullEnd, [&](std::size_t node) { ++start[node + 1]; });
    }
    for (std::size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
    x_.entries_.resize(start.back());
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < x_.edges_.size(); ++i) {
            const Span s = SpanOf(x_.edges_[i]);
            if (s.FirstFull < s.FullEnd)
                ForEachCoveringNode(leaves, s.FirstFull, s.FullEnd, [&](std::size_t node) {
                    x_.entries_[fill[node]++] = static_cast<std::uint32_t>(i);
                });
        }
    }
    if (x_.entries_.empty()) return;  // every edge ends inside the slices it meets
    x_.nodeChains_.assign(2 * leaves + 1, 0);
    nodeX_.assign(2 * leaves, Range{Infinity, -Infinity});
    for (std::size_t v = 1; v < 2 * leaves; ++v) {
        x_.nodeChains_[v] = static_cast<std::uint32_t>(x_.chains_.size());
        if (start[v] < start[v + 1]) OrderNode(v, start[v], start[v + 1]);
    }
    x_.nodeChains_[2 * leaves] = static_cast<std::uint32_t>(x_.chains_.size());
    x_.chains_.shrink_to_fit();
    x_.nextNode_.assign(2 * leaves, 0);
    for (std::size_t v = 2; v < 2 * leaves; ++v) {
        const std::size_t parent = v / 2;
        x_.nextNode_[v] = start[parent] < start[parent + 1] ? static_cast<std::uint32_t>(parent) : x_.nextNode_[parent];
    }
}

void RingIndex::Builder::SliceRanges(double margin)
{
    const std::size_t slices = x_.bounds_.size() - 1;
    x_.sliceX_.assign(slices, Range{Infinity, -Infinity});
    for (std::size_t k = 0; k < slices; ++k) {
        Range& r = x_.sliceX_[k];
        for (std::uint32_t i = x_.shortStart_[k]; i < x_.shortStart_[k + 1]; ++i) {
            const Edge& e = x_.edges_[x_.shortEdges_[i]];
            r = {std::min({r.Low, e.Xi, e.Xj}), std::max({r.High, e.Xi, e.Xj})};
        }
        if (!nodeX_.empty()) {
            for (std::size_t v = k + x_.leaves_; v >= 1; v >>= 1)
                r = {std::min(r.Low, nodeX_[v].Low), std::max(r.High, nodeX_[v].High)};
        }
        r.Low -= margin;
        r.High += margin;
    }
}

void RingIndex::Builder::OrderNode(std::size_t node, std::size_t low, std::size_t high)
{
    // The node's range of Y: every edge in it spans the whole of it.
    const auto depth = static_cast<unsigned>(std::bit_width(node) - 1);
    const std::size_t span = x_.leaves_ >> depth;
    const std::size_t firstLeaf = (node - (std::size_t{1} << depth)) * span;
    const double y0 = x_.bounds_[firstLeaf], y1 = x_.bounds_[firstLeaf + span];

    keys_.clear();
    Range& range = nodeX_[node];
    for (std::size_t k = low; k < high; ++k) {
        const std::uint32_t edge = x_.entries_[k];
        const Key key{x_.Crossing(edge, y0), x_.Crossing(edge, y1), edge};
        range = {std::min({range.Low, key.C0, key.C1}), std::max({range.High, key.C0, key.C1})};
        keys_.push_back(key);
    }
    if (high - low <= ShortChain) {
        x_.chains_.push_back({static_cast<std::uint32_t>(high), Infinity});  // tested edge by edge
        return;
    }
    std::sort(keys_.begin(), keys_.end(),
              [](const Key& a, const Key& b) { return a.C0 < b.C0 || (a.C0 == b.C0 && a.C1 < b.C1); });

    // Chains in which the crossings at both ends of the range never go down:
    // each edge joins the chain whose last C1 is the largest not above its own.
    tails_.clear();
    tailChain_.clear();
    chainOf_.resize(keys_.size());
    std::uint32_t chainCount = 0;
    const std::size_t mostChains = std::clamp<std::size_t>(keys_.size() / EdgesPerChain, 1, MostChains);
    for (std::size_t k = 0; k < keys_.size() && chainCount <= mostChains; ++k) {
        const auto at = std::upper_bound(tails_.begin(), tails_.end(), keys_[k].C1);
        if (at == tails_.begin()) {
            tails_.insert(tails_.begin(), keys_[k].C1);
            tailChain_.insert(tailChain_.begin(), chainCount);
            chainOf_[k] = chainCount++;
        } else {
            const auto pos = static_cast<std::size_t>(at - tails_.begin()) - 1;
            tails_[pos] = keys_[k].C1;
            chainOf_[k] = tailChain_[pos];
        }
    }
    if (chainCount > mostChains) {
        // Too many crossings among them: one chain, every edge tested.
        x_.chains_.push_back({static_cast<std::uint32_t>(high), Infinity});
        return;
    }

    chainStart_.assign(chainCount + 1, 0);
    chainMagnitude_.assign(chainCount, 0.0);
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        ++chainStart_[chainOf_[k] + 1];
        const Edge& e = x_.edges_[keys_[k].Edge];
        chainMagnitude_[chainOf_[k]] = std::max(chainMagnitude_[chainOf_[k]], std::fabs(e.Xi) + std::fabs(e.Xj));
    }
    for (std::uint32_t c = 0; c < chainCount; ++c) chainStart_[c + 1] += chainStart_[c];
    for (std::size_t k = 0; k < keys_.size(); ++k) x_.entries_[low + chainStart_[chainOf_[k]]++] = keys_[k].Edge;
    // chainStart_[c] is now the end of chain c.
    for (std::uint32_t c = 0; c < chainCount; ++c) {
        x_.chains_.push_back(
            {static_cast<std::uint32_t>(low + chainStart_[c]), RelativeMargin * chainMagnitude_[c] + AbsoluteMargin});
    }
}

double RingIndex::Crossing(std::uint32_t edge, double y) const
{
    const Edge& e = edges_[edge];
    return e.Xi + ((e.Xj - e.Xi) * (y - e.Yi)) / (e.Yj - e.Yi);
}

std::size_t RingIndex::BucketOf(double y) const
{
    const std::size_t buckets = bounds_.size() - 1;
    const double t = (y - minY_) * bucketScale_;
    if (!(t > 0.0)) return 0;
    if (t >= static_cast<double>(buckets)) return buckets - 1;
    return static_cast<std::size_t>(t);
}

std::size_t RingIndex::SliceOf(double y) const
{
    // The slice holding y starts at or after the last bound of an earlier
    // bucket and before the first bound of a later one.
    const std::size_t bucket = BucketOf(y);
    const std::size_t first = bucketFirst_[bucket] > 0 ? bucketFirst_[bucket] - 1 : 0;
    const std::size_t last = bucket + 1 < bucketFirst_.size() ? bucketFirst_[bucket + 1] : bounds_.size() - 1;
    const auto* begin = bounds_.data();
    return static_cast<std::size_t>(std::upper_bound(begin + first, begin + last, y) - begin) - 1;
}

bool RingIndex::ChainParity(const Chain& chain, std::uint32_t begin, TFPoint p) const
{
    bool odd = false;
    if (chain.End - begin <= ShortChain) {
        for (std::uint32_t k = begin; k < chain.End; ++k) {
            const Edge& e = edges_[entries_[k]];
            if (EdgeCrossesRay(p, e.Xi, e.Yi, e.Xj, e.Yj)) odd = !odd;
        }
        return odd;
    }
    // Past `right` every edge of the chain crosses, before `left` none: the
    // order may be off by rounding only within the margin of the point.
    const double right = p.X + chain.Margin;
    const double left = p.X - chain.Margin;
    std::uint32_t lo = begin, hi = chain.End;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (Crossing(entries_[mid], p.Y) > right) hi = mid;
        else lo = mid + 1;
    }
    const std::uint32_t crossFrom = lo;
    lo = begin;
    hi = crossFrom;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (Crossing(entries_[mid], p.Y) > left) hi = mid;
        else lo = mid + 1;
    }
    odd = ((chain.End - crossFrom) & 1u) != 0;
    for (std::uint32_t k = lo; k < crossFrom; ++k) {
        const Edge& e = edges_[entries_[k]];
        if (EdgeCrossesRay(p, e.Xi, e.Yi, e.Xj, e.Yj)) odd = !odd;
    }
    return odd;
}

bool RingIndex::Contains(TFPoint p) const
{
    bool inside = false;
    for (const Edge& e : lone_) {
        if (EdgeConsidered(p, e.Yi, e.Yj) && EdgeCrossesRay(p, e.Xi, e.Yi, e.Xj, e.Yj)) inside = !inside;
    }
    // Before minX every considered edge crosses: an even number of them on a
    // closed ring (and then none is tested one by one).
    if (!(p.Y >= minY_ && p.Y < maxY_ && p.X < maxX_)) return inside;
    if (p.X < minX_ && evenRing_) return inside;
    const std::size_t slice = SliceOf(p.Y);
    if (!(p.X < sliceX_[slice].High)) return inside;
    if (p.X < sliceX_[slice].Low && evenRing_) return inside;
    for (std::uint32_t k = shortStart_[slice]; k < shortStart_[slice + 1]; ++k) {
        const Edge& e = edges_[shortEdges_[k]];
        if (EdgeConsidered(p, e.Yi, e.Yj) && EdgeCrossesRay(p, e.Xi, e.Yi, e.Xj, e.Yj)) inside = !inside;
    }
    if (nodeChains_.empty()) return inside;
    std::size_t v = slice + leaves_;
    if (nodeChains_[v] == nodeChains_[v + 1]) v = nextNode_[v];
    for (; v != 0; v = nextNode_[v]) {
        for (std::uint32_t c = nodeChains_[v]; c < nodeChains_[v + 1]; ++c) {
            if (ChainParity(chains_[c], c == 0 ? 0 : chains_[c - 1].End, p)) inside = !inside;
        }
    }
    return inside;
}

}  // namespace ql

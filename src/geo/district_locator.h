#pragma once
// Finds the first polygon (in index order) that contains a point. Built from
// a list of polygons; answers exactly as testing the plain crossing rule
// against every polygon in index order would.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "geo/point.h"

namespace ql {

class DistrictLocator {
public:
    void Build(std::span<const TPolyArray> polygons);

    // Rebuilds the index of polygon i (the list grows to hold it).
    void Update(std::size_t i, const TPolyArray& polygon);

    // Index of the first polygon containing the point; nullopt when none does.
    std::optional<int> Find(TFPoint p) const;

private:
    // One edge that the crossing rule can consider, vertex i then vertex i + 1.
    struct Edge {
        double Xi, Yi, Xj, Yj;
    };

    // One band of a polygon: its edges from start up to the next band's start,
    // and the X range outside which the band decides nothing (see Contains).
    struct Band {
        double XLow, XHigh;
        std::uint32_t Start;
    };

    // One polygon: its edges bucketed by bands of equal height over its Y
    // range. An edge sits in every band its closed Y range meets.
    struct PolygonIndex {
        double MinY = 1.0;  // empty range: the polygon contains no point
        double MaxY = 0.0;
        double BandScale = 0.0;
        int BandCount = 1;
        std::vector<Band> Bands;  // BandCount + 1, the last one only ends the edges
        std::vector<Edge> Edges;

        int BandOf(double y) const;
        bool Contains(TFPoint p) const;
    };

    static void BuildIndex(PolygonIndex& index, const TPolyArray& polygon);

    std::vector<PolygonIndex> polygons_;
};

}  // namespace ql

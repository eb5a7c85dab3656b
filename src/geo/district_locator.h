#pragma once
// Finds the first district (in index order) whose polygon contains a point.
// Built once from the polygon table; answers exactly as testing the plain
// crossing rule against every polygon in index order would.

#include <array>
#include <cstdint>
#include <vector>

#include "geo/point.h"

namespace ql {

class DistrictLocator {
public:
    void Build(const PolygonTable& table);

    // Rebuilds the index of one district from its polygon.
    void Update(int district, const TPolyArray& polygon);

    // Rebuilds the districts whose table entry is no longer the one indexed
    // (a polygon assigned to the table without SetPolygon).
    void Refresh(const PolygonTable& table);

    // District index 0..35, or -1 when no polygon contains the point.
    int Find(TFPoint p) const;

private:
    // One edge that the crossing rule can consider, vertex i then vertex i + 1.
    struct Edge {
        double xi, yi, xj, yj;
    };

    // One band of a polygon: its edges from start up to the next band's start,
    // and the X range outside which the band decides nothing (see Contains).
    struct Band {
        double xLow, xHigh;
        std::uint32_t start;
    };

    // One polygon: its edges bucketed by bands of equal height over its Y
    // range. An edge sits in every band its closed Y range meets.
    struct PolygonIndex {
        double minY = 1.0;  // empty range: the polygon contains no point
        double maxY = 0.0;
        double bandScale = 0.0;
        int bandCount = 1;
        std::vector<Band> bands;  // bandCount + 1, the last one only ends the edges
        std::vector<Edge> edges;

        // The table entry this index was built from.
        const TFPoint* source = nullptr;
        std::size_t sourceSize = 0;

        int BandOf(double y) const;
        bool Contains(TFPoint p) const;
    };

    static void BuildIndex(PolygonIndex& index, const TPolyArray& polygon);

    std::array<PolygonIndex, 36> polygons_;
};

}  // namespace ql

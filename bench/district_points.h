#pragma once
// Points for generated queries, placed with the district polygons: inside a
// given district, in the state's border area but outside every polygon, or in
// a box of another state.

#include <random>
#include <string>
#include <string_view>

#include "districts/district_map.h"

namespace bench {

// The 36 district polygons of a folder, with the bounding box of each.
class DistrictShapes {
public:
    // Reads the 36 polygon files of the folder (ending with a separator).
    explicit DistrictShapes(const std::string& folder);

    const ql::PolygonTable& table() const { return table_; }

    // The first district containing p (index order), or -1.
    int FirstDistrict(ql::TFPoint p) const;

    // A random point that district i's polygon holds and no earlier polygon.
    ql::TFPoint PointIn(int district, std::mt19937_64& rng) const;

    // A point well inside district i: of many candidates, the one farthest
    // from every vertex of its polygon.
    ql::TFPoint DeepPointIn(int district, std::mt19937_64& rng) const;

    // A point just across the state's outer border: near a polygon vertex,
    // inside no polygon.
    ql::TFPoint PointOutsideNearBorder(std::mt19937_64& rng) const;

private:
    struct Box {
        double minX = 0, maxX = 0, minY = 0, maxY = 0;
        bool holds(ql::TFPoint p) const { return p.X >= minX && p.X <= maxX && p.Y >= minY && p.Y <= maxY; }
    };
    ql::PolygonTable table_;
    Box boxes_[36];
};

// Decimal degrees as a pocket query writes them: up to six decimals, no
// trailing zeros, no decimal point for whole values.
std::string DegreesText(double value);

}  // namespace bench

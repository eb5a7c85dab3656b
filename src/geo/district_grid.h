#pragma once
// A coarse grid over a list of polygons that answers most points without the
// crossing rule. A cell that no edge of the polygons comes near, up to the
// first polygon that contains it, records that polygon, or that none does;
// every other cell sends its points to the rule. Where the grid answers, it
// answers exactly as FindDistrictPlain.
//
// Why a clean cell has one answer: the points of a cell form one rectangle,
// and an edge more than a margin away from it (the margin far beyond the
// rounding of the rule's expression) counts the same for each of its points
// as it would in exact arithmetic. Exactly counted, the crossings of a ray
// change their parity only where the ray's start crosses an edge, so a
// rectangle that no edge touches lies wholly inside or wholly outside.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "geo/point.h"

namespace ql {

// What the grid knows of a point.
struct GridAnswer {
    bool Known = false;  // false: the point must be tested
    std::optional<int> Polygon;  // when known: the first polygon containing it, or none
};

class DistrictGrid {
public:
    DistrictGrid() = default;  // no cells: every point is tested
    explicit DistrictGrid(std::span<const TPolyArray> polygons);

    GridAnswer Lookup(TFPoint p) const
    {
        const double gx = (p.X - minX_) * scaleX_;
        const double gy = (p.Y - minY_) * scaleY_;
        // Also false for a point that is not a number.
        if (!(gx >= 0 && gx < limit_ && gy >= 0 && gy < limit_)) return {};
        const unsigned char cell = cells_[static_cast<std::size_t>(gy) * Cells + static_cast<std::size_t>(gx)];
        if (cell == TestCell) return {};
        if (cell == NoPolygon) return {true, std::nullopt};
        return {true, static_cast<int>(cell)};
    }

    // Cells along each side of the grid.
    static constexpr std::size_t Cells = 1024;

private:
    // Cell values besides a polygon's index.
    static constexpr unsigned char NoPolygon = 254;
    static constexpr unsigned char TestCell = 255;

    class Builder;

    std::vector<unsigned char> cells_;  // Cells rows of Cells, row by Y
    double minX_ = 0.0, minY_ = 0.0;
    double scaleX_ = 0.0, scaleY_ = 0.0;  // cells per degree
    double limit_ = 0.0;  // Cells; 0 without cells, which keeps every point outside
};

}  // namespace ql

#include "geo/district_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "geo/point_in_polygon.h"

namespace ql {

namespace {

// A polygon with a coordinate beyond this (degrees never come near it), or
// one that is not finite, is left to the rule in every cell it is reached in.
constexpr double MaxGridCoordinate = 1e6;
// How far an edge must keep from a cell, against the largest coordinate: far
// beyond the rounding of the rule's expression, a few units of 1e-16 of it.
constexpr double RelativeMargin = 1e-9;
// A cell no polygon has decided yet.
constexpr unsigned char Undecided = 253;

struct Box {
    double MinX = std::numeric_limits<double>::infinity();
    double MaxX = -std::numeric_limits<double>::infinity();
    double MinY = std::numeric_limits<double>::infinity();
    double MaxY = -std::numeric_limits<double>::infinity();

    void Add(TFPoint p)
    {
        MinX = std::min(MinX, p.X), MaxX = std::max(MaxX, p.X);
        MinY = std::min(MinY, p.Y), MaxY = std::max(MaxY, p.Y);
    }
    bool Empty() const { return !(MinX <= MaxX); }
};

bool Usable(const TPolyArray& polygon)
{
    return std::all_of(polygon.begin(), polygon.end(), [](TFPoint p) {
        return std::isfinite(p.X) && std::isfinite(p.Y) && std::fabs(p.X) <= MaxGridCoordinate &&
               std::fabs(p.Y) <= MaxGridCoordinate;
    });
}

}  // namespace

// Decides the cells polygon by polygon, in index order: a polygon's edges
// send the undecided cells near them to the rule, then the undecided cells
// it contains take its index. What no polygon decided is in none.
class DistrictGrid::Builder {
public:
    Builder(DistrictGrid& grid, const Box& extent, double margin) : grid_(grid), margin_(margin)
    {
        grid.minX_ = extent.MinX;
        grid.minY_ = extent.MinY;
        grid.scaleX_ = static_cast<double>(Cells) / (extent.MaxX - extent.MinX);
        grid.scaleY_ = static_cast<double>(Cells) / (extent.MaxY - extent.MinY);
        grid.cells_.assign(Cells * Cells, Undecided);
    }

    // Every cell still undecided goes to the rule (a polygon the grid cannot judge).
    void TestTheRest()
    {
        for (unsigned char& cell : grid_.cells_)
            if (cell == Undecided) cell = TestCell;
    }

    void Add(const TPolyArray& polygon, unsigned char index)
    {
        const std::size_t n = polygon.size();
        if (n == 0) return;  // contains no point
        Box box;
        for (const TFPoint& p : polygon) box.Add(p);
        for (std::size_t k = 0; k < n; ++k) MarkNear(polygon[k], polygon[k + 1 == n ? 0 : k + 1]);
        FillInside(polygon, box, index);
    }

    void Finish()
    {
        for (unsigned char& cell : grid_.cells_)
            if (cell == Undecided) cell = NoPolygon;
        grid_.limit_ = static_cast<double>(Cells);
    }

private:
    // Where a coordinate falls, in cells: the lookup's own expressions.
    double ColumnAt(double x) const { return (x - grid_.minX_) * grid_.scaleX_; }
    double RowAt(double y) const { return (y - grid_.minY_) * grid_.scaleY_; }
    static std::size_t Clamped(double cell)
    {
        if (!(cell > 0)) return 0;
        if (cell >= static_cast<double>(Cells)) return Cells - 1;
        return static_cast<std::size_t>(cell);
    }
    unsigned char& Cell(std::size_t column, std::size_t row) { return grid_.cells_[row * Cells + column]; }

    // The cells within twice the margin of the edge's box go to the rule.
    // Both expressions only grow with the coordinate, so a point of any
    // other cell lies beyond that distance from the box.
    void MarkNear(TFPoint a, TFPoint b)
    {
        const std::size_t c0 = Clamped(ColumnAt(std::min(a.X, b.X) - 2 * margin_));
        const std::size_t c1 = Clamped(ColumnAt(std::max(a.X, b.X) + 2 * margin_));
        const std::size_t r0 = Clamped(RowAt(std::min(a.Y, b.Y) - 2 * margin_));
        const std::size_t r1 = Clamped(RowAt(std::max(a.Y, b.Y) + 2 * margin_));
        for (std::size_t r = r0; r <= r1; ++r) {
            for (std::size_t c = c0; c <= c1; ++c) {
                unsigned char& cell = Cell(c, r);
                if (cell == Undecided) cell = TestCell;
            }
        }
    }

    // A point of the cell's rectangle, near its middle; none when rounding
    // puts the middle into another cell.
    std::optional<double> MiddleX(std::size_t column) const
    {
        const double x = grid_.minX_ + (static_cast<double>(column) + 0.5) / grid_.scaleX_;
        return Within(ColumnAt(x), column) ? std::optional<double>(x) : std::nullopt;
    }
    std::optional<double> MiddleY(std::size_t row) const
    {
        const double y = grid_.minY_ + (static_cast<double>(row) + 0.5) / grid_.scaleY_;
        return Within(RowAt(y), row) ? std::optional<double>(y) : std::nullopt;
    }
    static bool Within(double cell, std::size_t k)
    {
        return cell >= static_cast<double>(k) && cell < static_cast<double>(k + 1);
    }

    // The undecided cells within the polygon's box take its index where
    // their middle lies inside; outside the box no clean cell does. Row by
    // row, the crossings of the row's middle line are counted beyond each
    // cell's middle.
    void FillInside(const TPolyArray& polygon, const Box& box, unsigned char index)
    {
        const std::size_t n = polygon.size();
        const std::size_t c0 = Clamped(ColumnAt(box.MinX)), c1 = Clamped(ColumnAt(box.MaxX));
        const std::size_t r0 = Clamped(RowAt(box.MinY)), r1 = Clamped(RowAt(box.MaxY));
        // The edges by the rows their Y range touches.
        std::vector<std::uint32_t> first(r1 - r0 + 2, 0);
        const auto rows = [&](std::size_t k) {
            const TFPoint a = polygon[k], b = polygon[k + 1 == n ? 0 : k + 1];
            return std::pair(Clamped(RowAt(std::min(a.Y, b.Y))) - r0, Clamped(RowAt(std::max(a.Y, b.Y))) - r0);
        };
        for (std::size_t k = 0; k < n; ++k) {
            const auto [low, high] = rows(k);
            for (std::size_t r = low; r <= high; ++r) ++first[r + 1];
        }
        for (std::size_t r = 1; r < first.size(); ++r) first[r] += first[r - 1];
        std::vector<std::uint32_t> edges(first.back());
        std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
        for (std::size_t k = 0; k < n; ++k) {
            const auto [low, high] = rows(k);
            for (std::size_t r = low; r <= high; ++r) edges[next[r]++] = static_cast<std::uint32_t>(k);
        }

        std::vector<double> crossings;
        for (std::size_t r = r0; r <= r1; ++r) {
            const std::optional<double> y = MiddleY(r);
            crossings.clear();
            for (std::uint32_t e = first[r - r0]; y && e < first[r - r0 + 1]; ++e) {
                const std::size_t k = edges[e];
                const TFPoint a = polygon[k], b = polygon[k + 1 == n ? 0 : k + 1];
                if (!EdgeConsidered({0.0, *y}, a.Y, b.Y)) continue;
                crossings.push_back(a.X + ((b.X - a.X) * (*y - a.Y)) / (b.Y - a.Y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t c = c0; c <= c1; ++c) {
                unsigned char& cell = Cell(c, r);
                if (cell != Undecided) continue;
                const std::optional<double> x = MiddleX(c);
                if (!x || !y) {
                    cell = TestCell;
                    continue;
                }
                const auto beyond = crossings.end() - std::upper_bound(crossings.begin(), crossings.end(), *x);
                if (beyond % 2) cell = index;
            }
        }
    }

    DistrictGrid& grid_;
    double margin_;
};

DistrictGrid::DistrictGrid(std::span<const TPolyArray> polygons)
{
    if (polygons.size() >= Undecided) return;
    // The extent of the polygons the grid can judge, up to the first it cannot.
    Box extent;
    double largest = 0;
    for (const TPolyArray& polygon : polygons) {
        if (!Usable(polygon)) break;
        for (const TFPoint& p : polygon) {
            extent.Add(p);
            largest = std::max({largest, std::fabs(p.X), std::fabs(p.Y)});
        }
    }
    const double margin = RelativeMargin * (1 + largest);
    // Cells far wider than the margin, or no grid.
    const double least = 64 * margin * static_cast<double>(Cells);
    if (extent.Empty() || !(extent.MaxX - extent.MinX > least) || !(extent.MaxY - extent.MinY > least)) return;

    Builder builder(*this, extent, margin);
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (!Usable(polygons[i])) {
            builder.TestTheRest();
            break;
        }
        builder.Add(polygons[i], static_cast<unsigned char>(i));
    }
    builder.Finish();
}

}  // namespace ql

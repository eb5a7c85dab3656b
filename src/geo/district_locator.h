#pragma once
// Finds the first polygon (in index order) that contains a point. Built from
// a list of polygons; answers exactly as testing the plain crossing rule
// against every polygon in index order would, in bounded work per polygon
// whatever its shape (geo/ring_index.h). A grid over the polygons answers
// most points at once (geo/district_grid.h).

#include <optional>
#include <span>
#include <vector>

#include "geo/district_grid.h"
#include "geo/point.h"
#include "geo/ring_index.h"

namespace ql {

class DistrictLocator {
public:
    // The index and the grid.
    void Build(std::span<const TPolyArray> polygons);

    // Rebuilds the index of polygon i (the list grows to hold it). The grid
    // goes: every point is tested until BuildGrid.
    void Update(std::size_t i, const TPolyArray& polygon);
    // The grid over the polygons as Build and Update were given them.
    void BuildGrid(std::span<const TPolyArray> polygons);

    // Index of the first polygon containing the point; nullopt when none does.
    std::optional<int> Find(TFPoint p) const;

private:
    std::vector<RingIndex> polygons_;
    DistrictGrid grid_;
};

}  // namespace ql

#include "geo/district_locator.h"

namespace ql {

void DistrictLocator::Build(std::span<const TPolyArray> polygons)
{
    polygons_.clear();
    polygons_.reserve(polygons.size());
    for (const TPolyArray& polygon : polygons) polygons_.emplace_back(polygon);
    BuildGrid(polygons);
}

void DistrictLocator::Update(std::size_t i, const TPolyArray& polygon)
{
    if (i >= polygons_.size()) polygons_.resize(i + 1);
    polygons_[i] = RingIndex(polygon);
    grid_ = DistrictGrid();
}

void DistrictLocator::BuildGrid(std::span<const TPolyArray> polygons)
{
    // A grid over other polygons than the index holds would answer for them.
    grid_ = polygons.size() == polygons_.size() ? DistrictGrid(polygons) : DistrictGrid();
}

std::optional<int> DistrictLocator::Find(TFPoint p) const
{
    if (const GridAnswer known = grid_.Lookup(p); known.Known) return known.Polygon;
    for (std::size_t i = 0; i < polygons_.size(); ++i) {
        if (polygons_[i].Contains(p)) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace ql

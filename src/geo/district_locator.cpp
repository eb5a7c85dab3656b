#include "geo/district_locator.h"

namespace ql {

void DistrictLocator::Build(std::span<const TPolyArray> polygons)
{
    polygons_.clear();
    polygons_.reserve(polygons.size());
    for (const TPolyArray& polygon : polygons) polygons_.emplace_back(polygon);
}

void DistrictLocator::Update(std::size_t i, const TPolyArray& polygon)
{
    if (i >= polygons_.size()) polygons_.resize(i + 1);
    polygons_[i] = RingIndex(polygon);
}

std::optional<int> DistrictLocator::Find(TFPoint p) const
{
    for (std::size_t i = 0; i < polygons_.size(); ++i) {
        if (polygons_[i].Contains(p)) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace ql

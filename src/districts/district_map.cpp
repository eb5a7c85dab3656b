#include "districts/district_map.h"

#include "base/user_error.h"

namespace ql {

DistrictMap::DistrictMap()
{
    locator_.Build(polygons_);
}

void DistrictMap::SetPolygon(int district, TPolyArray polygon)
{
    if (district < 0 || district >= DistrictCount) ThrowIndexError(district);
    const auto i = static_cast<std::size_t>(district);
    polygons_[i] = std::move(polygon);
    locator_.Update(i, polygons_[i]);
    borders_[i].Build(RealBorderEdges(polygons_[i]));
}

std::optional<int> DistrictMap::Find(TFPoint p) const
{
    return locator_.Find(p);
}

}  // namespace ql

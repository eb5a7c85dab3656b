#include "geo/point_in_polygon.h"

namespace ql {

bool PointInPolygon(TFPoint p, const TPolyArray& polygon)
{
    const std::size_t n = polygon.size();
    bool inside = false;
    for (std::size_t i = 0; i < n; ++i) {
        const TFPoint& a = polygon[i];
        const TFPoint& b = polygon[i + 1 == n ? 0 : i + 1];
        if (EdgeConsidered(p, a.Y, b.Y) && EdgeCrossesRay(p, a.X, a.Y, b.X, b.Y)) inside = !inside;
    }
    return inside;
}

int FindDistrictPlain(std::span<const TPolyArray> polygons, TFPoint p)
{
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (PointInPolygon(p, polygons[i])) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace ql

#include "geo/projection.h"

#include <algorithm>
#include <cmath>

namespace ql {

namespace {

constexpr double Pi = 3.14159265358979323846;

bool Finite(TFPoint p)
{
    return std::isfinite(p.X) && std::isfinite(p.Y);
}

}  // namespace

void MapBounds::Add(MapPoint p)
{
    if (empty) {
        low = high = p;
        empty = false;
        return;
    }
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
}

MapProjection::MapProjection(double midLatitude) : midLatitude_(midLatitude)
{
    // Latitudes beyond the poles' neighbourhood would make the scale vanish.
    if (!(std::fabs(midLatitude_) <= 85.0)) midLatitude_ = StateMidLatitude;
    xScale_ = std::cos(midLatitude_ * Pi / 180.0);
}

MapProjection MapProjection::ForPolygons(std::span<const TPolyArray> polygons)
{
    bool any = false;
    double low = 0.0, high = 0.0;
    for (const TPolyArray& polygon : polygons) {
        for (TFPoint p : polygon) {
            if (!Finite(p) || std::fabs(p.X) > 90.0) continue;
            low = any ? std::min(low, p.X) : p.X;
            high = any ? std::max(high, p.X) : p.X;
            any = true;
        }
    }
    return MapProjection(any ? (low + high) / 2 : StateMidLatitude);
}

MapBounds MapProjection::Bounds(std::span<const TPolyArray> polygons) const
{
    MapBounds bounds;
    for (const TPolyArray& polygon : polygons)
        for (TFPoint p : polygon)
            if (Finite(p)) bounds.Add(Project(p));
    return bounds;
}

}  // namespace ql

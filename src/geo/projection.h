#pragma once
// The map's projection: longitude scaled by the cosine of the mid latitude of
// the districts, latitude as it is, so that shapes stay true at this latitude.
// Map units are degrees of latitude; x grows to the east, y to the north.

#include <span>

#include "geo/point.h"

namespace ql {

struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};

struct MapBounds {
    MapPoint low, high;
    bool empty = true;

    void Add(MapPoint p);
};

class MapProjection {
public:
    // The mid latitude used when no polygon has a finite vertex.
    static constexpr double StateMidLatitude = 49.95;

    explicit MapProjection(double midLatitude = StateMidLatitude);

    // The projection for the mid latitude of the polygons' finite vertices.
    static MapProjection ForPolygons(std::span<const TPolyArray> polygons);

    double midLatitude() const { return midLatitude_; }
    double xScale() const { return xScale_; }

    MapPoint Project(TFPoint p) const { return {p.Y * xScale_, p.X}; }
    TFPoint Unproject(MapPoint m) const { return {m.y, m.x / xScale_}; }

    // The extent of the polygons' finite vertices on the map.
    MapBounds Bounds(std::span<const TPolyArray> polygons) const;

private:
    double midLatitude_;
    double xScale_;
};

}  // namespace ql

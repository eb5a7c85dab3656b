#pragma once
// The crossing rule.

#include <span>

#include "geo/point.h"

namespace ql {

// Crossing-number test along a ray towards increasing X: an edge counts for
// the half-open Y range [min, max), and crosses when its abscissa c > P.X.
bool PointInPolygon(TFPoint p, const TPolyArray& polygon);

// The edge from vertex i to vertex j, when the rule considers it for p, crosses
// the ray: c = xi + ((xj - xi) * (p.Y - yi)) / (yj - yi) lies beyond p.X. Every
// search uses this one expression so that all give the same answer.
inline bool EdgeCrossesRay(TFPoint p, double xi, double yi, double xj, double yj)
{
    return xi + ((xj - xi) * (p.Y - yi)) / (yj - yi) > p.X;
}

// The edge's half-open Y range, lower end included, contains p.Y.
inline bool EdgeConsidered(TFPoint p, double yi, double yj)
{
    return (yi <= p.Y && p.Y < yj) || (yj <= p.Y && p.Y < yi);
}

// The plain search the district index must agree with: the first polygon of
// the list (index order) containing p by PointInPolygon, or -1.
int FindDistrictPlain(std::span<const TPolyArray> polygons, TFPoint p);

}  // namespace ql

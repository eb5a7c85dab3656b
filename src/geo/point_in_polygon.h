#pragma once
// The crossing rule and the district assignment.

#include <string>
#include <string_view>

#include "geo/point.h"

namespace ql {

struct AppState;

// Crossing-number test along a ray towards increasing X: an edge counts for
// the half-open Y range [min, max), and crosses when its abscissa c > P.X.
bool PointInPolygon(TFPoint p, const TPolyArray& polygon);

// The district of a waypoint, given its latitude and longitude texts as the
// query has them: the display name of the first district (index order) whose
// polygon contains the point, or "NOT IN POLYGON!". Counts the result in
// DistrictTally or NotInPolygonCount.
std::string AssignDistrict(AppState& state, std::string_view latitude, std::string_view longitude);

// Replaces district i's polygon and keeps the district index in step.
void SetPolygon(AppState& state, int district, TPolyArray polygon);

}  // namespace ql

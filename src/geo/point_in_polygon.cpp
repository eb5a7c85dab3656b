#include "geo/point_in_polygon.h"

#include <string>

#include "core/app_state.h"
#include "core/tables.h"
#include "core/user_error.h"
#include "geo/number.h"

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

int FindDistrictPlain(const PolygonTable& table, TFPoint p)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (PointInPolygon(p, table[i])) return static_cast<int>(i);
    }
    return -1;
}

std::string AssignDistrict(AppState& state, std::string_view latitude, std::string_view longitude)
{
    // Both texts are converted before anything is counted.
    TFPoint p;
    p.X = ParseDecimal(latitude);
    p.Y = ParseDecimal(longitude);

    state.Locator.Refresh(state.PolyTable);
    const int district = state.Locator.Find(p);
    if (district < 0) {
        ++state.NotInPolygonCount;
        return std::string(NotInPolygonText);
    }
    ++state.DistrictTally[static_cast<std::size_t>(district)];
    return std::string(DistrictNames[static_cast<std::size_t>(district)]);
}

void SetPolygon(AppState& state, int district, TPolyArray polygon)
{
    if (district < 0 || district >= DistrictCount) ThrowIndexError(district);
    state.PolyTable[static_cast<std::size_t>(district)] = std::move(polygon);
    state.Locator.Update(district, state.PolyTable[static_cast<std::size_t>(district)]);
}

}  // namespace ql

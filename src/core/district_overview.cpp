#include "core/district_overview.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "geo/coord_value.h"

namespace ql {

namespace {

// Metres from p to the box low..high in p's own frame; nothing in the box is nearer.
double MetresToBox(TFPoint p, TFPoint low, TFPoint high, const LocalFrame& frame)
{
    const double north = std::max({0.0, low.X - p.X, p.X - high.X}) * frame.metresPerDegreeLatitude;
    const double east = std::max({0.0, low.Y - p.Y, p.Y - high.Y}) * frame.metresPerDegreeLongitude;
    return std::hypot(north, east);
}

}  // namespace

int DistrictOverview::CoveredCount() const
{
    return static_cast<int>(std::count_if(districts.begin(), districts.end(),
                                          [](const DistrictSummary& d) { return d.finds > 0; }));
}

Coverage DistrictOverview::CoverageOf(int district, double thresholdMetres) const
{
    const DistrictSummary& d = districts[static_cast<std::size_t>(district)];
    if (d.finds <= 0) return Coverage::Uncovered;
    return d.bestMetres < thresholdMetres ? Coverage::NearBorder : Coverage::Covered;
}

std::optional<int> DistrictOfRow(std::string_view districtText)
{
    static const std::unordered_map<std::string_view, int> byName = [] {
        std::unordered_map<std::string_view, int> map;
        for (int i = 0; i < DistrictCount; ++i) map.emplace(DistrictNames[static_cast<std::size_t>(i)], i);
        return map;
    }();
    const auto it = byName.find(districtText);
    if (it == byName.end()) return std::nullopt;
    return it->second;
}

NearestBorder FindNearestBorder(const DistrictMap& districts, TFPoint p)
{
    const LocalFrame frame = LocalFrame::At(p.X);
    NearestBorder nearest;
    for (int i = 0; i < DistrictCount; ++i) {
        const BorderIndex& border = districts.Border(i);
        if (border.empty() || MetresToBox(p, border.low(), border.high(), frame) >= nearest.metres) continue;
        const double metres = border.Distance(p);
        if (metres < nearest.metres) nearest = {i, metres};
    }
    return nearest;
}

DistrictOverview BuildDistrictOverview(const DistrictMap& districts, const std::vector<CacheRow>& rows)
{
    DistrictOverview overview;
    overview.finds.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const CacheRow& row = rows[r];
        FindPlace& place = overview.finds[r];
        const std::optional<int> district = DistrictOfRow(row.District);
        if (district) {
            place.district = *district;
            ++overview.districts[static_cast<std::size_t>(*district)].finds;
        }
        const std::optional<double> latitude = CoordTextValue(row.LatText);
        const std::optional<double> longitude = CoordTextValue(row.LonText);
        if (!latitude || !longitude) continue;
        place.located = true;
        place.point = {*latitude, *longitude};
        if (district) {
            place.measured = *district;
            place.borderMetres = districts.Border(*district).Distance(place.point);
        } else {
            const NearestBorder nearest = FindNearestBorder(districts, place.point);
            place.measured = nearest.district;
            place.borderMetres = nearest.metres;
        }
        if (!district) continue;
        // Farthest from the border wins; the earlier row keeps a tie.
        DistrictSummary& summary = overview.districts[static_cast<std::size_t>(*district)];
        if (summary.bestRow < 0 || place.borderMetres > summary.bestMetres) {
            summary.bestRow = static_cast<int>(r);
            summary.bestMetres = place.borderMetres;
        }
    }
    return overview;
}

}  // namespace ql

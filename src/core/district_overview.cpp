#include "core/district_overview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
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

// Interleaved bits of latitude and longitude on a grid of about 30 m: finds
// near each other get near keys.
std::uint32_t NearnessKey(TFPoint p)
{
    const auto scaled = [](double v, double low) {
        const double t = (v - low) * 4096.0;
        return static_cast<std::uint32_t>(std::clamp(t, 0.0, 65535.0));
    };
    const std::uint32_t x = scaled(p.X, 47.0), y = scaled(p.Y, 4.0);
    std::uint32_t key = 0;
    for (int bit = 0; bit < 16; ++bit) key |= ((x >> bit) & 1u) << (2 * bit + 1) | ((y >> bit) & 1u) << (2 * bit);
    return key;
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
    // Points first, in row order; then the distances in an order that keeps
    // neighbouring finds together, so the border indexes stay in the cache.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order;
    order.reserve(rows.size());
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
        order.emplace_back((static_cast<std::uint64_t>(place.district + 1) << 32) | NearnessKey(place.point),
                           static_cast<std::uint32_t>(r));
    }
    std::sort(order.begin(), order.end());
    for (const auto& [key, r] : order) {
        FindPlace& place = overview.finds[r];
        if (place.district >= 0) {
            place.measured = place.district;
            place.borderMetres = districts.Border(place.district).Distance(place.point);
        } else {
            const NearestBorder nearest = FindNearestBorder(districts, place.point);
            place.measured = nearest.district;
            place.borderMetres = nearest.metres;
        }
    }
    // Farthest from the border wins; the earlier row keeps a tie.
    for (std::size_t r = 0; r < overview.finds.size(); ++r) {
        const FindPlace& place = overview.finds[r];
        if (!place.located || place.district < 0) continue;
        DistrictSummary& summary = overview.districts[static_cast<std::size_t>(place.district)];
        if (summary.bestRow < 0 || place.borderMetres > summary.bestMetres) {
            summary.bestRow = static_cast<int>(r);
            summary.bestMetres = place.borderMetres;
        }
    }
    return overview;
}

}  // namespace ql

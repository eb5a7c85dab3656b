#include "districts/district_overview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <array>
#include <system_error>

#include "platform/task_beside.h"

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
    // Each bit of a 16-bit value moved to twice its place.
    const auto spread = [](std::uint32_t v) {
        v = (v | (v << 8)) & 0x00FF00FFu;
        v = (v | (v << 4)) & 0x0F0F0F0Fu;
        v = (v | (v << 2)) & 0x33333333u;
        return (v | (v << 1)) & 0x55555555u;
    };
    return spread(scaled(p.X, 47.0)) << 1 | spread(scaled(p.Y, 4.0));
}

}  // namespace

int DistrictOverview::CoveredCount() const
{
    return static_cast<int>(
        std::count_if(districts.begin(), districts.end(), [](const DistrictSummary& d) { return d.finds > 0; }));
}

Coverage DistrictOverview::CoverageOf(int district, double thresholdMetres) const
{
    const DistrictSummary& d = districts[static_cast<std::size_t>(district)];
    if (d.finds <= 0) return Coverage::Uncovered;
    return d.bestMetres < thresholdMetres ? Coverage::NearBorder : Coverage::Covered;
}

NearestBorder FindNearestBorder(const DistrictMap& districts, TFPoint p)
{
    // Districts by the distance of their border's box, nearest first: once a
    // box lies farther than the nearest border found, so do all that follow.
    const LocalFrame frame = LocalFrame::At(p.X);
    std::array<std::pair<double, int>, DistrictCount> byBox;
    std::size_t boxes = 0;
    for (int i = 0; i < DistrictCount; ++i) {
        const BorderIndex& border = districts.Border(i);
        if (!border.empty()) byBox[boxes++] = {MetresToBox(p, border.low(), border.high(), frame), i};
    }
    std::sort(byBox.begin(), byBox.begin() + static_cast<std::ptrdiff_t>(boxes));
    NearestBorder nearest;
    for (std::size_t k = 0; k < boxes && byBox[k].first <= nearest.metres; ++k) {
        const int i = byBox[k].second;
        const double metres = districts.Border(i).Distance(p);
        // The lower index keeps a tie, as reading the districts in order would.
        if (metres < nearest.metres || (metres == nearest.metres && i < nearest.district)) nearest = {i, metres};
    }
    return nearest;
}

namespace {

// Finds measured between two looks at the stop token: those of a district a
// block at a time, those in no district (each costs more) fewer.
constexpr std::size_t FindsPerBlock = 4096;
constexpr std::size_t FindsPerLook = 256;

// A find's place in the measuring order, and its row.
using OrderedFind = std::pair<std::uint64_t, std::uint32_t>;

// The places of rows [begin, end) with their border distances, and the finds
// each district counts among them. The distances are measured in an order
// that keeps neighbouring finds together, so the border indexes stay in the
// cache.
void MeasureRows(const DistrictMap& districts, const std::vector<CacheRow>& rows, std::size_t begin, std::size_t end,
                 std::vector<FindPlace>& finds, std::array<int, DistrictCount>& counted, const CancelToken* stop)
{
    std::vector<OrderedFind> order;
    order.reserve(end - begin);
    for (std::size_t r = begin; r < end; ++r) {
        const CacheRow& row = rows[r];
        FindPlace& place = finds[r];
        if (row.DistrictIndex >= 0 && row.DistrictIndex < DistrictCount) {
            place.district = row.DistrictIndex;
            ++counted[static_cast<std::size_t>(place.district)];
        }
        if (!std::isfinite(row.Point.X) || !std::isfinite(row.Point.Y)) continue;
        place.located = true;
        place.point = row.Point;
        order.emplace_back((static_cast<std::uint64_t>(place.district + 1) << 32) | NearnessKey(place.point),
                           static_cast<std::uint32_t>(r));
    }
    ThrowIfCancelled(stop);
    std::sort(order.begin(), order.end());

    std::vector<TFPoint> points;
    std::vector<double> metres;
    std::size_t sinceLook = 0;  // finds in no district measured since the last look
    for (std::size_t from = 0; from < order.size();) {
        const int district = finds[order[from].second].district;
        if (district < 0) {
            if (++sinceLook == FindsPerLook) {
                sinceLook = 0;
                ThrowIfCancelled(stop);
            }
            FindPlace& place = finds[order[from++].second];
            const NearestBorder nearest = FindNearestBorder(districts, place.point);
            place.measured = nearest.district;
            place.borderMetres = nearest.metres;
            continue;
        }
        // The finds of one district together, a block at a time.
        ThrowIfCancelled(stop);
        std::size_t to = from;
        const std::size_t last = std::min(order.size(), from + FindsPerBlock);
        points.clear();
        while (to < last && finds[order[to].second].district == district)
            points.push_back(finds[order[to++].second].point);
        metres.resize(points.size());
        districts.Border(district).Distances(points, metres);
        for (std::size_t k = from; k < to; ++k) {
            FindPlace& place = finds[order[k].second];
            place.measured = district;
            place.borderMetres = metres[k - from];
        }
        from = to;
    }
}

// Below this many finds a second thread costs more than it saves.
constexpr std::size_t FindsForTwoThreads = 4096;

}  // namespace

DistrictOverview BuildDistrictOverview(const DistrictMap& districts, const std::vector<CacheRow>& rows,
                                       const CancelToken* stop)
{
    ThrowIfCancelled(stop);
    DistrictOverview overview;
    overview.finds.resize(rows.size());
    // The two halves of the rows side by side: each find is measured alone.
    std::array<int, DistrictCount> first{}, second{};
    const std::size_t half = rows.size() < FindsForTwoThreads ? rows.size() : rows.size() / 2;
    if (half < rows.size()) {
        TaskBeside other([&] { MeasureRows(districts, rows, half, rows.size(), overview.finds, second, stop); });
        MeasureRows(districts, rows, 0, half, overview.finds, first, stop);
        other.Wait();
    } else {
        MeasureRows(districts, rows, 0, half, overview.finds, first, stop);
    }
    for (std::size_t i = 0; i < DistrictCount; ++i) overview.districts[i].finds = first[i] + second[i];

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

#include "districts/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "base/query_limits.h"
#include "geo/border_distance.h"

namespace ql {

double MarkRadius(int count)
{
    if (count <= 1) return SingleFindRadius;
    return std::min(MaxMarkRadius, SingleFindRadius + 0.25 * std::log2(static_cast<double>(count)));
}

std::vector<FindMark> GatherFinds(const std::vector<ScreenFind>& finds, double width, double height, double cell)
{
    struct Sum {
        double x = 0.0, y = 0.0;
        int count = 0;
    };
    const int columns = std::max(1, static_cast<int>(std::ceil(width / cell)));
    const int rows = std::max(1, static_cast<int>(std::ceil(height / cell)));
    const std::size_t cells = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    std::vector<Sum> counted(cells), outside(cells);
    for (const ScreenFind& f : finds) {
        if (!(f.x >= 0.0 && f.y >= 0.0 && f.x < width && f.y < height)) continue;  // also NaN
        const auto c = static_cast<std::size_t>(std::min(columns - 1, static_cast<int>(f.x / cell)));
        const auto r = static_cast<std::size_t>(std::min(rows - 1, static_cast<int>(f.y / cell)));
        Sum& sum = (f.counted ? counted : outside)[r * static_cast<std::size_t>(columns) + c];
        sum.x += f.x;
        sum.y += f.y;
        ++sum.count;
    }
    std::vector<FindMark> marks;
    for (const bool inDistrict : {true, false}) {
        for (const Sum& sum : inDistrict ? counted : outside) {
            if (sum.count == 0) continue;
            marks.push_back({sum.x / sum.count, sum.y / sum.count, sum.count, inDistrict, MarkRadius(sum.count)});
        }
    }
    return marks;
}

std::vector<LegendEntry> MapLegendEntries(double thresholdMetres, std::size_t finds, std::size_t outside,
                                          std::size_t candidates)
{
    const std::string threshold = GroupedNumber(static_cast<std::size_t>(std::lround(std::max(0.0, thresholdMetres))));
    std::vector<LegendEntry> entries = {
        {LegendSwatch::Covered, "Belegt"},
        {LegendSwatch::NearBorder, "Nur randnah belegt (unter " + threshold + " m)"},
        {LegendSwatch::Uncovered, "Nicht belegt"},
        {LegendSwatch::Find, "Fund (" + GroupedNumber(finds - std::min(finds, outside)) + ")"},
        {LegendSwatch::FindOutside, "Fund in keinem Kreis (" + GroupedNumber(outside) + ")"},
    };
    if (candidates > 0) entries.push_back({LegendSwatch::Candidate, "Kandidat (" + GroupedNumber(candidates) + ")"});
    return entries;
}

namespace {

constexpr int AnchorGrid = 10;  // candidates per side of the district's box
constexpr std::size_t MaxAnchorEdges = 160;  // border edges measured per district

double SegmentDistance(MapPoint p, MapPoint a, MapPoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

}  // namespace

std::array<LabelAnchor, DistrictCount> FindLabelAnchors(const DistrictMap& districts, const MapProjection& projection)
{
    std::array<LabelAnchor, DistrictCount> anchors{};
    for (int d = 0; d < DistrictCount; ++d) {
        // The real border, thinned to a bounded number of edges: a label needs no metre.
        std::vector<MapPoint> points;
        std::vector<std::size_t> chainEnds;
        MapBounds box;
        for (const TPolyArray& chain : BorderChains(districts[d])) {
            for (TFPoint p : chain) {
                points.push_back(projection.Project(p));
                box.Add(points.back());
            }
            chainEnds.push_back(points.size());
        }
        if (box.empty || points.size() < 2) continue;
        const std::size_t step = std::max<std::size_t>(1, points.size() / MaxAnchorEdges);
        std::vector<std::pair<MapPoint, MapPoint>> edges;
        std::size_t begin = 0;
        for (std::size_t end : chainEnds) {
            std::size_t previous = begin;
            for (std::size_t i = begin + step; i < end + step; i += step) {
                const std::size_t at = std::min(i, end - 1);
                if (at <= previous) break;
                edges.emplace_back(points[previous], points[at]);
                previous = at;
            }
            begin = end;
        }
        LabelAnchor best;
        for (int gy = 0; gy < AnchorGrid; ++gy) {
            for (int gx = 0; gx < AnchorGrid; ++gx) {
                const MapPoint candidate{box.low.x + (gx + 0.5) * (box.high.x - box.low.x) / AnchorGrid,
                                         box.low.y + (gy + 0.5) * (box.high.y - box.low.y) / AnchorGrid};
                if (districts.Find(projection.Unproject(candidate)).value_or(-1) != d) continue;
                double clearance = std::numeric_limits<double>::infinity();
                for (const auto& [a, b] : edges) clearance = std::min(clearance, SegmentDistance(candidate, a, b));
                if (clearance > best.clearance) best = {candidate, clearance};
            }
        }
        anchors[static_cast<std::size_t>(d)] = best;
    }
    return anchors;
}

bool LabelFits(double clearancePixels, double textWidth, double textHeight)
{
    return clearancePixels >= std::hypot(textWidth, textHeight) / 2.0 + 2.0;
}

ScaleBar ChooseScaleBar(double metresPerPixel, double maxPixels)
{
    ScaleBar bar;
    if (!(metresPerPixel > 0.0) || !(maxPixels > 0.0)) return bar;
    const double most = metresPerPixel * maxPixels;
    double power = std::pow(10.0, std::floor(std::log10(most)));
    for (;; power /= 10.0) {
        for (double factor : {5.0, 2.0, 1.0}) {
            if (factor * power <= most) {
                bar.metres = factor * power;
                bar.pixels = bar.metres / metresPerPixel;
                const auto whole = static_cast<long long>(std::llround(bar.metres));
                bar.text = bar.metres >= 1000.0 ? std::to_string(whole / 1000) + " km" : std::to_string(whole) + " m";
                return bar;
            }
        }
        if (power < 1.0) return bar;
    }
}

bool OutlineDrawnSmoothly(std::size_t points, int width)
{
    return points <= (width > 1 ? SmoothWideOutlinePoints : SmoothThinOutlinePoints);
}

}  // namespace ql

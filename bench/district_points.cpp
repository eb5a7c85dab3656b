#include "district_points.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/tables.h"
#include "geo/point_in_polygon.h"
#include "districts/polygon_files.h"

namespace bench {

DistrictShapes::DistrictShapes(const std::string& folder)
{
    for (int i = 0; i < ql::DistrictCount; ++i) {
        table_[i] = ql::LoadPolygonFile(folder + std::string(ql::DistrictFileNames[i]) + ".txt");
        if (table_[i].empty()) throw std::runtime_error("empty polygon " + std::string(ql::DistrictFileNames[i]));
        Box& b = boxes_[i];
        b.minX = b.minY = std::numeric_limits<double>::max();
        b.maxX = b.maxY = std::numeric_limits<double>::lowest();
        for (const ql::TFPoint& v : table_[i]) {
            b.minX = std::min(b.minX, v.X);
            b.maxX = std::max(b.maxX, v.X);
            b.minY = std::min(b.minY, v.Y);
            b.maxY = std::max(b.maxY, v.Y);
        }
    }
}

int DistrictShapes::FirstDistrict(ql::TFPoint p) const
{
    for (int i = 0; i < ql::DistrictCount; ++i)
        if (boxes_[i].holds(p) && ql::PointInPolygon(p, table_[i])) return i;
    return -1;
}

ql::TFPoint DistrictShapes::PointIn(int district, std::mt19937_64& rng) const
{
    const Box& b = boxes_[district];
    std::uniform_real_distribution<double> x(b.minX, b.maxX), y(b.minY, b.maxY);
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const ql::TFPoint p{x(rng), y(rng)};
        if (ql::PointInPolygon(p, table_[district]) && FirstDistrict(p) == district) return p;
    }
    throw std::runtime_error("no point found in district " + std::to_string(district));
}

ql::TFPoint DistrictShapes::DeepPointIn(int district, std::mt19937_64& rng) const
{
    ql::TFPoint best = PointIn(district, rng);
    double bestGap = -1;
    for (int candidate = 0; candidate < 300; ++candidate) {
        const ql::TFPoint p = PointIn(district, rng);
        double gap = std::numeric_limits<double>::max();
        for (const ql::TFPoint& v : table_[district]) gap = std::min(gap, std::hypot(v.X - p.X, v.Y - p.Y));
        if (gap > bestGap) {
            bestGap = gap;
            best = p;
        }
    }
    return best;
}

ql::TFPoint DistrictShapes::PointOutsideNearBorder(std::mt19937_64& rng) const
{
    std::uniform_int_distribution<int> pickDistrict(0, ql::DistrictCount - 1);
    std::uniform_real_distribution<double> offset(-0.03, 0.03);
    for (int attempt = 0; attempt < 1000000; ++attempt) {
        const ql::TPolyArray& poly = table_[pickDistrict(rng)];
        const ql::TFPoint& v = poly[std::uniform_int_distribution<std::size_t>(0, poly.size() - 1)(rng)];
        const ql::TFPoint p{v.X + offset(rng), v.Y + offset(rng)};
        if (FirstDistrict(p) < 0) return p;
    }
    throw std::runtime_error("no point outside the polygons found");
}

std::string DegreesText(double value)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) throw std::runtime_error("cannot format a coordinate");
    std::string text(buf, end);
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

}  // namespace bench

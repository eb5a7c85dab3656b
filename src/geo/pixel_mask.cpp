#include "geo/pixel_mask.h"

#include <algorithm>
#include <cmath>

namespace ql {

namespace {

bool Finite(MapPoint p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// A value clamped to [low, high] as an int; NaN gives low.
int ClampToInt(double v, int low, int high)
{
    if (!(v > low)) return low;
    if (v >= high) return high;
    return static_cast<int>(v);
}

// Cuts the segment a-b to the rectangle [low, high]; false when nothing of it
// lies inside.
bool ClipSegment(MapPoint& a, MapPoint& b, MapPoint low, MapPoint high)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const auto edge = [&](double p, double q) {
        // p * t <= q must hold.
        if (p == 0.0) return q >= 0.0;
        const double t = q / p;
        if (p < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, a.x - low.x) || !edge(dx, high.x - a.x) || !edge(-dy, a.y - low.y) || !edge(dy, high.y - a.y))
        return false;
    const MapPoint from = a;
    a = {from.x + t0 * dx, from.y + t0 * dy};
    b = {from.x + t1 * dx, from.y + t1 * dy};
    return true;
}

}  // namespace

PixelMask::PixelMask(int width, int height)
        : width_(std::max(0, width)), height_(std::max(0, height)),
          pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)),
          crossings_(static_cast<std::size_t>(width_ + 1) * static_cast<std::size_t>(height_))
{
}

void PixelMask::Touch(int x0, int x1, int y)
{
    lowX_ = highX_ < lowX_ ? x0 : std::min(lowX_, x0);
    highX_ = std::max(highX_, x1);
    lowY_ = highY_ < lowY_ ? y : std::min(lowY_, y);
    highY_ = std::max(highY_, y);
}

void PixelMask::FillEvenOdd(std::span<const MapPoint> outline, const PixelTransform& transform)
{
    if (width_ == 0 || height_ == 0) return;
    const std::size_t stride = static_cast<std::size_t>(width_) + 1;
    int rowLow = height_, rowHigh = -1, columnLow = width_, columnHigh = -1;

    // Every edge flips the state of the pixels right of where it crosses the
    // centre line of each row it spans: rows [ceil(lo - 0.5), ceil(hi - 0.5)).
    const auto edge = [&](MapPoint a, MapPoint b) {
        if (a.y == b.y) return;
        const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
        const int first = ClampToInt(std::ceil(lo - 0.5), 0, height_);
        const int end = ClampToInt(std::ceil(hi - 0.5), 0, height_);
        if (first >= end) return;
        const double slope = (b.x - a.x) / (b.y - a.y);
        for (int r = first; r < end; ++r) {
            double x = a.x + (r + 0.5 - a.y) * slope;
            if (std::isnan(x)) x = a.x;
            // The first pixel whose centre lies right of x.
            const int c = ClampToInt(std::floor(x - 0.5) + 1.0, 0, width_);
            crossings_[static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(c)] ^= 1;
            columnLow = std::min(columnLow, c);
            columnHigh = std::max(columnHigh, c);
        }
        rowLow = std::min(rowLow, first);
        rowHigh = std::max(rowHigh, end - 1);
    };

    bool any = false;
    MapPoint first{}, previous{};
    for (const MapPoint m : outline) {
        const MapPoint p = transform.Apply(m);
        if (!Finite(p)) continue;
        if (any) edge(previous, p);
        else first = p;
        previous = p;
        any = true;
    }
    if (!any) return;
    edge(previous, first);
    if (rowHigh < rowLow) return;

    // Resolved row by row: the pixels between an odd and the next even
    // crossing are inside. The crossings are cleared on the way.
    const int lastColumn = std::min(columnHigh, width_ - 1);
    for (int r = rowLow; r <= rowHigh; ++r) {
        std::uint8_t* const row = &crossings_[static_cast<std::size_t>(r) * stride];
        std::uint8_t* const pixels = &pixels_[Index(0, r)];
        std::uint8_t inside = 0;
        int from = -1;
        for (int c = columnLow; c <= lastColumn; ++c) {
            inside ^= row[c];
            row[c] = 0;
            pixels[c] |= inside;
            if (inside && from < 0) from = c;
        }
        if (columnHigh == width_) row[width_] = 0;
        if (from >= 0) Touch(from, lastColumn, r);
    }
}

void PixelMask::SetBlock(int x, int y, int thickness)
{
    // A block of thickness x thickness pixels around (x, y).
    const int x0 = std::max(0, x - (thickness - 1) / 2), x1 = std::min(width_ - 1, x + thickness / 2);
    const int y0 = std::max(0, y - (thickness - 1) / 2), y1 = std::min(height_ - 1, y + thickness / 2);
    if (x0 > x1 || y0 > y1) return;
    for (int r = y0; r <= y1; ++r) std::fill(&pixels_[Index(x0, r)], &pixels_[Index(x1, r)] + 1, std::uint8_t{1});
}

void PixelMask::DrawSegment(MapPoint a, MapPoint b, int thickness)
{
    // Cut to the field and a margin of the line's width first: a segment far
    // outside costs nothing, one across the screen its pixels.
    const double margin = thickness + 1.0;
    if (!ClipSegment(a, b, {-margin, -margin}, {width_ + margin, height_ + margin})) return;
    const double dx = b.x - a.x, dy = b.y - a.y;
    // One step per pixel along the longer axis: the pixels stay connected.
    const double length = std::max(std::abs(dx), std::abs(dy));
    const int steps = std::max(1, static_cast<int>(std::ceil(length)));
    const double stepX = dx / steps, stepY = dy / steps;
    // Coordinates shifted to stay positive, so a cast rounds down.
    const double shift = std::ceil(margin) + 1.0;
    const int back = static_cast<int>(shift);
    double x = a.x + shift, y = a.y + shift;
    if (thickness == 1) {
        for (int i = 0; i <= steps; ++i, x += stepX, y += stepY) {
            const int c = static_cast<int>(x) - back, r = static_cast<int>(y) - back;
            if (c >= 0 && c < width_ && r >= 0 && r < height_) pixels_[Index(c, r)] = 1;
        }
    } else {
        for (int i = 0; i <= steps; ++i, x += stepX, y += stepY)
            SetBlock(static_cast<int>(x) - back, static_cast<int>(y) - back, thickness);
    }
    const int half = thickness / 2 + 1;
    const auto column = [&](double v) { return std::clamp(static_cast<int>(std::floor(v)), 0, width_ - 1); };
    const auto row = [&](double v) { return std::clamp(static_cast<int>(std::floor(v)), 0, height_ - 1); };
    Touch(column(std::min(a.x, b.x) - half), column(std::max(a.x, b.x) + half), row(std::min(a.y, b.y) - half));
    Touch(column(std::min(a.x, b.x) - half), column(std::max(a.x, b.x) + half), row(std::max(a.y, b.y) + half));
}

void PixelMask::DrawPolyline(std::span<const MapPoint> points, const PixelTransform& transform, int thickness)
{
    if (width_ == 0 || height_ == 0) return;
    thickness = std::max(1, thickness);
    bool open = false;
    MapPoint previous{};
    for (const MapPoint m : points) {
        const MapPoint p = transform.Apply(m);
        if (!Finite(p)) {
            open = false;
            continue;
        }
        DrawSegment(open ? previous : p, p, thickness);
        previous = p;
        open = true;
    }
}

std::vector<PixelSpan> PixelMask::TakeSpans()
{
    std::vector<PixelSpan> spans;
    for (int r = lowY_; r <= highY_; ++r) {
        std::uint8_t* const pixels = &pixels_[Index(0, r)];
        int from = -1;
        for (int c = lowX_; c <= highX_; ++c) {
            if (pixels[c] && from < 0) from = c;
            if (!pixels[c] && from >= 0) {
                spans.push_back({r, from, c});
                from = -1;
            }
            pixels[c] = 0;
        }
        if (from >= 0) spans.push_back({r, from, highX_ + 1});
    }
    lowX_ = 0;
    highX_ = -1;
    lowY_ = 0;
    highY_ = -1;
    return spans;
}

}  // namespace ql

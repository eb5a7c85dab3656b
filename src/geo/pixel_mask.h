#pragma once
// Outlines and lines turned into pixels, at the screen's resolution: however
// many vertices a polygon has, the work is one step per edge and per pixel
// row or pixel it crosses, and the result is what the screen can show. A
// boundary of a million vertices draws as fast as the pixels it touches.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "geo/projection.h"

namespace ql {

// From map units to pixels: x' = x * scaleX + offsetX, y' = y * scaleY + offsetY.
struct PixelTransform {
    double scaleX = 1.0;
    double offsetX = 0.0;
    double scaleY = 1.0;
    double offsetY = 0.0;

    MapPoint Apply(MapPoint m) const { return {m.x * scaleX + offsetX, m.y * scaleY + offsetY}; }
};

// A run of set pixels in one row: columns [begin, end).
struct PixelSpan {
    int y = 0;
    int begin = 0;
    int end = 0;
};

// A width x height field of pixels, set by fills and lines, read back as spans.
// Pixel (c, r) covers [c, c + 1) x [r, r + 1); its centre is (c + 0.5, r + 0.5).
class PixelMask {
public:
    PixelMask(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Sets the pixels whose centres lie inside the closed outline by the
    // even-odd rule (the edge from the last point back to the first is
    // implied; a part joined by a bridge walked there and back stays a part,
    // a ring inside another a hole). Points that are not finite are passed over.
    void FillEvenOdd(std::span<const MapPoint> outline, const PixelTransform& transform);

    // Sets the pixels along an open line through the points, `thickness`
    // pixels wide (1 or more). Points that are not finite break the line.
    void DrawPolyline(std::span<const MapPoint> points, const PixelTransform& transform, int thickness = 1);

    // The set pixels as spans, rows from the top; then the mask is empty again.
    std::vector<PixelSpan> TakeSpans();

    bool IsSet(int x, int y) const { return pixels_[Index(x, y)] != 0; }

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }
    void Touch(int x0, int x1, int y);  // widens the touched rectangle
    void SetBlock(int x, int y, int thickness);
    void DrawSegment(MapPoint a, MapPoint b, int thickness);

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
    // Per row, a 1 where the even-odd state changes before that column
    // (width + 1 columns): the crossings of a fill, resolved into pixels.
    std::vector<std::uint8_t> crossings_;
    // The rectangle holding every set pixel or crossing, so that reading and
    // clearing pass over nothing else.
    int lowX_ = 0, highX_ = -1, lowY_ = 0, highY_ = -1;
};

}  // namespace ql

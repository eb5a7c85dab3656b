#pragma once
// Where the parts of the saved overview picture go: a caption band on top,
// the map with the legend and the scale bar in a column beside it, the
// progress chart below the map and the boundaries' licence line at the
// bottom. The picture has a fixed width whatever the window's size; its
// height follows the state's shape and the texts' measured heights. No two
// parts overlap.

namespace ql {

// A rectangle of the picture, in pixels.
struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }  // one past the last column
    int bottom() const { return y + height; }  // one past the last row
    bool empty() const { return width <= 0 || height <= 0; }
    bool overlaps(const PictureRect& o) const
    {
        return !empty() && !o.empty() && x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
    }
    bool contains(const PictureRect& o) const
    {
        return x <= o.x && y <= o.y && o.right() <= right() && o.bottom() <= bottom();
    }
};

// What the parts need, measured by the one who draws them.
struct PictureMeasures {
    int width = 1800;  // the whole picture; at least MinPictureWidth is used
    int captionHeight = 0;  // the caption's lines, wrapped to the picture's width
    double mapAspect = 1.0;  // the state's height over its width, as drawn
    int legendWidth = 0;  // the legend's box
    int legendHeight = 0;
    int scaleBarWidth = 0;  // the scale bar with its text
    int scaleBarHeight = 0;
    int chartHeight = 0;  // 0: no chart
    int licenceHeight = 0;  // the licence line, wrapped to the picture's width
};

struct PictureLayout {
    int width = 0;
    int height = 0;
    PictureRect caption, map, legend, scaleBar, chart, licence;
};

constexpr int MinPictureWidth = 1600;
constexpr int PictureMargin = 16;  // around the picture and between its parts
// The column beside the map never takes more than this share of the width.
constexpr double MaxSideShare = 0.35;

PictureLayout LayOutPicture(const PictureMeasures& measures);

}  // namespace ql

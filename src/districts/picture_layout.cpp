#include "districts/picture_layout.h"

#include <algorithm>
#include <cmath>

namespace ql {

PictureLayout LayOutPicture(const PictureMeasures& m)
{
    constexpr int Gap = PictureMargin;
    PictureLayout layout;
    layout.width = std::max(m.width, MinPictureWidth);
    const int inner = layout.width - 2 * Gap;
    int y = Gap;

    layout.caption = {Gap, y, inner, std::max(0, m.captionHeight)};
    y = layout.caption.bottom() + Gap;

    // The column beside the map: as wide as the wider of legend and scale bar, within its share.
    const int maxSide = static_cast<int>(inner * MaxSideShare);
    const int side = std::clamp(std::max(m.legendWidth, m.scaleBarWidth), 1, maxSide);
    const int mapWidth = inner - side - Gap;
    const double aspect = std::isfinite(m.mapAspect) && m.mapAspect > 0 ? std::clamp(m.mapAspect, 0.2, 3.0) : 1.0;
    const int legendHeight = std::max(0, m.legendHeight), barHeight = std::max(0, m.scaleBarHeight);
    const int sideHeight = legendHeight + Gap + barHeight;
    const int mapHeight = std::max(static_cast<int>(std::lround(mapWidth * aspect)), sideHeight);
    layout.map = {Gap, y, mapWidth, mapHeight};
    const int sideX = layout.map.right() + Gap;
    layout.legend = {sideX, y, std::min(std::max(0, m.legendWidth), side), legendHeight};
    layout.scaleBar = {sideX, layout.legend.bottom() + Gap, std::min(std::max(0, m.scaleBarWidth), side), barHeight};
    y = layout.map.bottom() + Gap;

    if (m.chartHeight > 0) {
        layout.chart = {Gap, y, inner, m.chartHeight};
        y = layout.chart.bottom() + Gap;
    } else {
        layout.chart = {Gap, y, 0, 0};
    }

    layout.licence = {Gap, y, inner, std::max(0, m.licenceHeight)};
    y = layout.licence.bottom() + Gap;
    layout.height = y;
    return layout;
}

}  // namespace ql

#pragma once
// The furniture of the overview map, painted over it: the legend, the scale
// bar, the boundaries' source line and (in the exported image) a caption.

#include <QColor>
#include <QRect>
#include <QStringList>

#include <vector>

#include "districts/map_drawing.h"

class QFontMetrics;
class QPainter;

namespace ql::ui {

// The colour of a legend entry's swatch, the same as the map's.
QColor SwatchColour(LegendSwatch swatch);

// The legend in a box whose bottom-left corner is at bottomLeft; returns the box.
QRect PaintLegend(QPainter& painter, QPoint bottomLeft, const std::vector<LegendEntry>& entries);

// The scale bar with its text, its bottom-right corner at bottomRight.
void PaintScaleBar(QPainter& painter, QPoint bottomRight, const ScaleBar& bar);

// Lines of text on a light box, wrapped to width, from top-left; returns the box.
QRect PaintTextBox(QPainter& painter, QPoint topLeft, int width, const QStringList& lines);
// The height such a box takes.
int PaintTextBoxHeight(const QFontMetrics& metrics, int width, const QStringList& lines);
// The same, its bottom edge at bottom.
QRect PaintTextBoxAbove(QPainter& painter, int left, int bottom, int width, const QStringList& lines);

}  // namespace ql::ui

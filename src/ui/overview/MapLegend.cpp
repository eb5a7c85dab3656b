#include "ui/overview/MapLegend.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"

namespace ql::ui {

namespace {

const QColor BoxColour(255, 255, 255, 225);
const QColor BoxEdge(120, 120, 120);
constexpr int Pad = 6;

}  // namespace

QColor SwatchColour(LegendSwatch swatch)
{
    switch (swatch) {
    case LegendSwatch::Covered: return DistrictMapView::CoveredFill;
    case LegendSwatch::NearBorder: return DistrictMapView::NearBorderFill;
    case LegendSwatch::Uncovered: return DistrictMapView::UncoveredFill;
    case LegendSwatch::Find: return DistrictMapView::CountedDot;
    case LegendSwatch::FindOutside: return DistrictMapView::NotInPolygonDot;
    }
    return Qt::black;
}

QRect PaintLegend(QPainter& painter, QPoint bottomLeft, const std::vector<LegendEntry>& entries)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height() + 2;
    const int swatch = metrics.height() - 2;
    int textWidth = 0;
    for (const LegendEntry& entry : entries)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(FromUtf8(entry.text)));
    const int height = 2 * Pad + line * static_cast<int>(entries.size());
    const QRect box(bottomLeft.x(), bottomLeft.y() - height, 2 * Pad + swatch + Pad + textWidth, height);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    int y = box.top() + Pad;
    for (const LegendEntry& entry : entries) {
        const QRect mark(box.left() + Pad, y + (line - swatch) / 2, swatch, swatch);
        const QColor colour = SwatchColour(entry.swatch);
        if (entry.swatch == LegendSwatch::Find || entry.swatch == LegendSwatch::FindOutside) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawEllipse(QRectF(mark.center(), QSizeF()).adjusted(-3, -3, 3, 3));
        } else {
            painter.setPen(DistrictMapView::BorderColour);
            painter.setBrush(colour);
            painter.drawRect(mark);
        }
        painter.setPen(Qt::black);
        painter.drawText(QRect(mark.right() + Pad + 1, y, textWidth + 1, line), Qt::AlignVCenter | Qt::AlignLeft,
                         FromUtf8(entry.text));
        y += line;
    }
    painter.restore();
    return box;
}

void PaintScaleBar(QPainter& painter, QPoint bottomRight, const ScaleBar& bar)
{
    if (bar.pixels <= 0) return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QString text = FromUtf8(bar.text);
    const int length = static_cast<int>(std::lround(bar.pixels));
    const int width = std::max(length, metrics.horizontalAdvance(text)) + 2 * Pad;
    const int height = metrics.height() + 8 + 2 * Pad;
    const QRect box(bottomRight.x() - width, bottomRight.y() - height, width, height);
    painter.save();
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::black, 2));
    const int y = box.bottom() - Pad - 2;
    const int x0 = box.left() + Pad;
    painter.drawLine(x0, y, x0 + length, y);
    painter.drawLine(x0, y - 4, x0, y);
    painter.drawLine(x0 + length, y - 4, x0 + length, y);
    painter.drawText(QRect(x0, box.top() + Pad - 2, width - 2 * Pad, metrics.height()), Qt::AlignLeft, text);
    painter.restore();
}

namespace {

QRect TextBoxRect(const QFontMetrics& metrics, int left, int width, const QStringList& lines, int& height)
{
    height = 2 * Pad;
    for (const QString& line : lines)
        height += metrics.boundingRect(QRect(0, 0, width - 2 * Pad, 10000), Qt::TextWordWrap, line).height();
    return QRect(left, 0, width, height);
}

void DrawTextBox(QPainter& painter, const QRect& box, const QStringList& lines)
{
    painter.save();
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    int y = box.top() + Pad;
    for (const QString& line : lines) {
        const QRect area(box.left() + Pad, y, box.width() - 2 * Pad, 10000);
        const QRect used = painter.fontMetrics().boundingRect(area, Qt::TextWordWrap, line);
        painter.drawText(area, Qt::TextWordWrap, line);
        y += used.height();
    }
    painter.restore();
}

}  // namespace

int PaintTextBoxHeight(const QFontMetrics& metrics, int width, const QStringList& lines)
{
    int height = 0;
    TextBoxRect(metrics, 0, width, lines, height);
    return height;
}

QRect PaintTextBox(QPainter& painter, QPoint topLeft, int width, const QStringList& lines)
{
    int height = 0;
    QRect box = TextBoxRect(painter.fontMetrics(), topLeft.x(), width, lines, height);
    box.moveTop(topLeft.y());
    DrawTextBox(painter, box, lines);
    return box;
}

QRect PaintTextBoxAbove(QPainter& painter, int left, int bottom, int width, const QStringList& lines)
{
    int height = 0;
    QRect box = TextBoxRect(painter.fontMetrics(), left, width, lines, height);
    box.moveBottom(bottom);
    DrawTextBox(painter, box, lines);
    return box;
}

}  // namespace ql::ui

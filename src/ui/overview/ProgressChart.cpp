#include "ui/overview/ProgressChart.h"

#include <QDate>
#include <QPainter>

#include <algorithm>

#include "core/tables.h"
#include "ui/common/Controls.h"

namespace ql::ui {

int DayNumber(const std::string& date)
{
    const QDate d = QDate::fromString(FromUtf8(date), Qt::ISODate);
    return d.isValid() ? static_cast<int>(QDate(1970, 1, 1).daysTo(d)) : 0;
}

ProgressChart::ProgressChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ProgressChart"));
    setMinimumSize(240, 120);
}

void ProgressChart::setSteps(std::vector<ProgressStep> steps)
{
    steps_ = std::move(steps);
    update();
}

QImage ProgressChart::renderImage(QSize size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintProgressChart(painter, QRect(QPoint(0, 0), size), steps_);
    return image;
}

void ProgressChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PaintProgressChart(painter, rect(), steps_);
}

void PaintProgressChart(QPainter& painter, QRect area, const std::vector<ProgressStep>& steps)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = painter.fontMetrics();
    const QRect plot =
        area.adjusted(fm.horizontalAdvance(QStringLiteral("36")) + 10, fm.height() + 6, -12, -(fm.height() + 8));
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(plot);
    painter.drawText(area.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Belegte Kreise nach Funddatum"));
    if (steps.empty() || plot.width() < 10 || plot.height() < 10) {
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("Noch keine Funde"));
        painter.restore();
        return;
    }
    const int today = static_cast<int>(QDate(1970, 1, 1).daysTo(QDate::currentDate()));
    const int cutoff = DayNumber(std::string(CutoffDate));
    const int first = std::min(DayNumber(steps.front().date), cutoff) - 30;
    const int last = std::max({DayNumber(steps.back().date), today, cutoff + 1});
    const auto x = [&](int day) { return plot.left() + (day - first) * double(plot.width()) / (last - first); };
    const auto y = [&](int covered) { return plot.bottom() - covered * double(plot.height()) / DistrictCount; };

    // Axis labels: 0, 18 and 36 districts; the first and last year.
    painter.setPen(QColor(90, 90, 90));
    for (int v : {0, DistrictCount / 2, DistrictCount})
        painter.drawText(QRectF(area.left(), y(v) - fm.height() / 2.0, plot.left() - area.left() - 4, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    const QDate epoch(1970, 1, 1);
    painter.drawText(QRectF(plot.left(), plot.bottom() + 2, 80, fm.height()), Qt::AlignLeft,
                     QString::number(epoch.addDays(first).year()));
    painter.drawText(QRectF(plot.right() - 80, plot.bottom() + 2, 80, fm.height()), Qt::AlignRight,
                     QString::number(epoch.addDays(last).year()));

    // The cut-off date.
    painter.setPen(QPen(ProgressChart::CutoffColour, 1.5, Qt::DashLine));
    painter.drawLine(QPointF(x(cutoff), plot.top()), QPointF(x(cutoff), plot.bottom()));
    painter.drawText(QRectF(x(cutoff) + 3, plot.top() + 2, 200, fm.height()), Qt::AlignLeft,
                     QStringLiteral("Stichtag ") + FromUtf8(CutoffDate));

    // The steps, held until today.
    painter.setPen(QPen(ProgressChart::LineColour, 2));
    QPointF at(x(DayNumber(steps.front().date)), y(0));
    for (const ProgressStep& s : steps) {
        const QPointF up(x(DayNumber(s.date)), at.y());
        painter.drawLine(at, up);
        const QPointF next(up.x(), y(s.covered));
        painter.drawLine(up, next);
        at = next;
    }
    painter.drawLine(at, QPointF(x(last), at.y()));
    painter.drawText(QRectF(x(last) - 60, at.y() - fm.height() - 2, 58, fm.height()), Qt::AlignRight,
                     QString::number(steps.back().covered));
    painter.restore();
}

}  // namespace ql::ui

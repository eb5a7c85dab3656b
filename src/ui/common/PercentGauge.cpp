#include "ui/common/PercentGauge.h"

#include <QPainter>

namespace ql::ui {

PercentGauge::PercentGauge(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
}

void PercentGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const int span = maximum() - minimum();
    const int filled = span > 0 ? inside.width() * (value() - minimum()) / span : 0;
    const QRect bar(inside.left(), inside.top(), filled, inside.height());
    const QString text = QString::number(span > 0 ? 100 * (value() - minimum()) / span : 0) + QLatin1Char('%');

    painter.fillRect(inside, Qt::white);
    painter.fillRect(bar, QColor(0, 0, 128));
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(frame);

    painter.setPen(Qt::black);
    painter.setClipRect(inside.adjusted(filled, 0, 0, 0));
    painter.drawText(inside, Qt::AlignCenter, text);
    painter.setPen(Qt::white);
    painter.setClipRect(bar);
    painter.drawText(inside, Qt::AlignCenter, text);
}

}  // namespace ql::ui

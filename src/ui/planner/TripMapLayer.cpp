#include "ui/planner/TripMapLayer.h"

#include <QEvent>
#include <QPainterPath>

#include <cmath>

#include "ui/overview/DistrictMapView.h"

namespace ql::ui {

TripMapLayer::TripMapLayer(DistrictMapView* map) : QWidget(map), map_(map)
{
    setObjectName(QStringLiteral("TripMapLayer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(map->rect());
    map->installEventFilter(this);
}

void TripMapLayer::setTour(std::optional<TFPoint> home, std::vector<TFPoint> stops, bool returns)
{
    home_ = home;
    stops_ = std::move(stops);
    returns_ = returns;
    update();
}

int TripMapLayer::stopAt(QPoint position) const
{
    for (std::size_t i = stops_.size(); i-- > 0;) {
        const QPointF at = map_->positionOf(stops_[i]);
        if (std::hypot(at.x() - position.x(), at.y() - position.y()) <= StopRadius) return static_cast<int>(i);
    }
    return -1;
}

void TripMapLayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawOn(painter);
}

void TripMapLayer::drawOn(QPainter& painter) const
{
    if (!home_) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    const QPointF home = map_->positionOf(*home_);
    line.moveTo(home);
    for (const TFPoint& p : stops_) line.lineTo(map_->positionOf(p));
    if (returns_ && !stops_.empty()) line.lineTo(home);
    // A light casing under the line keeps it readable on every fill.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(line);
    painter.setPen(QPen(LineColour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(line);

    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(HomeFill);
    painter.drawRect(QRectF(home.x() - 6, home.y() - 6, 12, 12));

    QFont font = painter.font();
    font.setPixelSize(StopRadius + 2);
    font.setBold(true);
    painter.setFont(font);
    const double r = StopRadius;
    for (std::size_t i = 0; i < stops_.size(); ++i) {
        const QPointF p = map_->positionOf(stops_[i]);
        const QRectF circle(p.x() - r, p.y() - r, 2 * r, 2 * r);
        painter.setPen(QPen(LineColour, 2));
        painter.setBrush(StopFill);
        painter.drawEllipse(circle);
        painter.setPen(LineColour);
        painter.drawText(circle, Qt::AlignCenter, QString::number(i + 1));
    }
    painter.restore();
}

bool TripMapLayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == map_ && event->type() == QEvent::Resize) setGeometry(map_->rect());
    return false;
}

}  // namespace ql::ui

#include "ui/common/MakerLogo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace ql::ui {

namespace {

// A hexagon with a pointed top around a centre.
QPolygonF Hexagon(QPointF centre, double radius)
{
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double angle = (60.0 * i - 90.0) * std::numbers::pi / 180.0;
        hex << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
    return hex;
}

}  // namespace

QPixmap MakerLogo(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 256.0, size / 256.0);

    const QPointF centre(128, 128);
    const QPolygonF outer = Hexagon(centre, 120);

    // The cell: a light blue body with a dark rim.
    QLinearGradient body(0, 8, 0, 248);
    body.setColorAt(0, QColor(214, 232, 250));
    body.setColorAt(1, QColor(150, 190, 232));
    g.setPen(QPen(QColor(20, 60, 130), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(body);
    g.drawPolygon(outer);

    // Neighbouring cells inside it, as thin boundary lines.
    g.save();
    QPainterPath clip;
    clip.addPolygon(Hexagon(centre, 114));
    g.setClipPath(clip);
    g.setPen(QPen(QColor(40, 90, 160, 150), 3, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(Qt::NoBrush);
    const double r = 46, dx = r * std::sqrt(3.0);
    for (int row = -3; row <= 3; ++row)
        for (int col = -3; col <= 3; ++col) {
            const QPointF c(centre.x() + col * dx + (row % 2 ? dx / 2 : 0), centre.y() + row * r * 1.5);
            g.drawPolygon(Hexagon(c, r));
        }
    g.restore();

    // The pin: a red drop with a white eye and a soft shadow below it.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0, 0, 0, 60));
    g.drawEllipse(QPointF(128, 196), 26, 8);
    QPainterPath pin;
    pin.moveTo(128, 196);
    pin.cubicTo(108, 160, 88, 138, 88, 108);
    pin.arcTo(QRectF(88, 68, 80, 80), 180, -180);
    pin.cubicTo(168, 138, 148, 160, 128, 196);
    pin.closeSubpath();
    QRadialGradient red(QPointF(116, 96), 70);
    red.setColorAt(0, QColor(255, 110, 90));
    red.setColorAt(1, QColor(190, 20, 20));
    g.setPen(QPen(QColor(110, 0, 0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(red);
    g.drawPath(pin);
    g.setPen(Qt::NoPen);
    g.setBrush(Qt::white);
    g.drawEllipse(QPointF(128, 108), 15, 15);
    return pm;
}

}  // namespace ql::ui

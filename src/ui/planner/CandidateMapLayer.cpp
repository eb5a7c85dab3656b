#include "ui/planner/CandidateMapLayer.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>

#include <cmath>

#include "ui/planner/CandidateTableModel.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"

namespace ql::ui {

CandidateMapLayer::CandidateMapLayer(DistrictMapView* map) : QWidget(map), map_(map)
{
    setObjectName(QStringLiteral("CandidateMapLayer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(map->rect());
    map->installEventFilter(this);
}

void CandidateMapLayer::setCandidates(const std::vector<Candidate>* caches, std::vector<std::size_t> shown)
{
    caches_ = caches;
    shown_ = std::move(shown);
    update();
}

long long CandidateMapLayer::candidateAt(QPoint position) const
{
    if (!caches_) return -1;
    long long best = -1;
    double bestDistance = SymbolRadius + 2.0;
    for (std::size_t i : shown_) {
        const QPointF at = map_->positionOf((*caches_)[i].Point);
        const double d = std::hypot(at.x() - position.x(), at.y() - position.y());
        if (d <= bestDistance) {
            bestDistance = d;
            best = static_cast<long long>(i);
        }
    }
    return best;
}

QString CandidateMapLayer::toolTipAt(QPoint position) const
{
    const long long i = candidateAt(position);
    if (i < 0) return {};
    const Candidate& c = (*caches_)[static_cast<std::size_t>(i)];
    return FromUtf8(c.Code + " " + c.Name) + QLatin1Char('\n') + RatingPair(c) + QStringLiteral(" (Suchliste)");
}

void CandidateMapLayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawOn(painter);
}

void CandidateMapLayer::drawOn(QPainter& painter) const
{
    if (!caches_) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(SymbolOutline, 1.5));
    painter.setBrush(SymbolFill);
    const double r = SymbolRadius;
    for (std::size_t i : shown_) {
        const QPointF p = map_->positionOf((*caches_)[i].Point);
        if (!rect().adjusted(-8, -8, 8, 8).contains(p.toPoint())) continue;
        const QPolygonF diamond({{p.x(), p.y() - r}, {p.x() + r, p.y()}, {p.x(), p.y() + r}, {p.x() - r, p.y()}});
        painter.drawPolygon(diamond);
    }
    painter.restore();
}

bool CandidateMapLayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != map_) return false;
    switch (event->type()) {
    case QEvent::Resize: setGeometry(map_->rect()); break;
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty()) return false;  // the map tells what else lies there
        QToolTip::showText(help->globalPos(), tip, map_);
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const long long i = candidateAt(mouse->position().toPoint());
        if (i < 0) return false;
        emit candidateActivated(static_cast<std::size_t>(i));
        return true;
    }
    default: break;
    }
    return false;
}

}  // namespace ql::ui

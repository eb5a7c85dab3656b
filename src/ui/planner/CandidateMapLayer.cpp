#include "ui/planner/CandidateMapLayer.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "districts/map_drawing.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/planner/CandidateTableModel.h"

namespace ql::ui {

namespace {

// A hollow diamond on a white halo: the fill around and inside it stays the district's.
void PaintDiamond(QPainter& painter, QPointF p, double r)
{
    const QPolygonF diamond({{p.x(), p.y() - r}, {p.x() + r, p.y()}, {p.x(), p.y() + r}, {p.x() - r, p.y()}});
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(CandidateMapLayer::SymbolHalo, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolygon(diamond);
    painter.setPen(QPen(CandidateMapLayer::SymbolFill, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolygon(diamond);
}

}  // namespace

void PaintCandidateSymbols(QPainter& painter, const std::vector<QPointF>& positions, QSizeF area)
{
    std::vector<ScreenFind> points;
    points.reserve(positions.size());
    for (const QPointF& p : positions) points.push_back({p.x(), p.y(), true});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const FindMark& mark : GatherFinds(points, area.width(), area.height(), CandidateMapLayer::CellPixels)) {
        // A cell of several grows with their number, slowly and never beyond the maximum.
        const double r = std::min(CandidateMapLayer::MaxSymbolRadius,
                                  CandidateMapLayer::SymbolRadius + 0.5 * std::log2(static_cast<double>(mark.count)));
        PaintDiamond(painter, QPointF(mark.x, mark.y), r);
    }
    painter.restore();
}

void PaintCandidateSwatch(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    PaintDiamond(painter, box.center(), std::min(box.width(), box.height()) / 2.0 - 1.0);
    painter.restore();
}

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
    emit candidatesChanged();
}

std::vector<TFPoint> CandidateMapLayer::points() const
{
    std::vector<TFPoint> result;
    if (!caches_) return result;
    result.reserve(shown_.size());
    for (std::size_t i : shown_) result.push_back((*caches_)[i].Point);
    return result;
}

long long CandidateMapLayer::candidateAt(QPoint position) const
{
    if (!caches_ || isHidden()) return -1;
    long long best = -1;
    double bestDistance = MaxSymbolRadius + 2.0;
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
    std::vector<QPointF> positions;
    positions.reserve(shown_.size());
    for (std::size_t i : shown_) positions.push_back(map_->positionOf((*caches_)[i].Point));
    PaintCandidateSymbols(painter, positions, QSizeF(map_->size()));
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

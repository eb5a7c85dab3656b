#include "ui/overview/DistrictMapView.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "reports/character_references.h"
#include "geo/border_distance.h"
#include "ui/common/Controls.h"

namespace ql::ui {

namespace {

constexpr int FitMargin = 10;  // pixels around the state when fitted
constexpr double HitRadius = 5.0;  // pixels from a dot that still hover it
constexpr double WheelStep = 1.25;  // zoom per wheel notch

bool Finite(TFPoint p)
{
    return std::isfinite(p.X) && std::isfinite(p.Y);
}

// Pixels of the image in one opaque colour.
void PaintSpans(QImage& image, const std::vector<PixelSpan>& spans, const QColor& colour)
{
    const QRgb rgb = colour.rgba();
    for (const PixelSpan& span : spans) {
        auto* const row = reinterpret_cast<QRgb*>(image.scanLine(span.y));
        std::fill(row + span.begin, row + span.end, rgb);
    }
}

}  // namespace

QString MetresText(double metres)
{
    return QString::number(metres, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

DistrictMapView::DistrictMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mapView"));
    setMouseTracking(true);
    setMinimumSize(200, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

namespace {
// Vertex for vertex the same, bit for bit.
bool SamePolygons(const PolygonTable& a, const PolygonTable& b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].size() != b[i].size() ||
            (!a[i].empty() && std::memcmp(a[i].data(), b[i].data(), a[i].size() * sizeof(TFPoint)) != 0))
            return false;
    return true;
}
}  // namespace

void DistrictMapView::setDistricts(const DistrictMap& districts)
{
    // Another map of the same polygons (the copy a new scan's figures were
    // made on): what was drawn from them stays.
    const bool same =
        districts_ && districts_ != &districts && SamePolygons(districts_->Polygons(), districts.Polygons());
    districts_ = &districts;
    if (same) {
        fitAll();
        update();
        return;
    }
    projection_ = MapProjection::ForPolygons(districts.Polygons());
    bounds_ = projection_.Bounds(districts.Polygons());
    for (int d = 0; d < DistrictCount; ++d) {
        // Holes and further parts joined by bridges stay holes and parts: the fill is even-odd.
        std::vector<MapPoint>& outline = outlines_[static_cast<std::size_t>(d)];
        outline.clear();
        outline.reserve(districts[d].size());
        for (TFPoint p : districts[d])
            if (Finite(p)) outline.push_back(projection_.Project(p));

        // The outline only along real border: a bridge never shows.
        std::vector<std::vector<MapPoint>>& chains = borders_[static_cast<std::size_t>(d)];
        chains.clear();
        for (const TPolyArray& chain : BorderChains(districts[d])) {
            std::vector<MapPoint>& projected = chains.emplace_back();
            projected.reserve(chain.size());
            for (TFPoint p : chain) projected.push_back(projection_.Project(p));
        }
    }
    ++generation_;
    // The label places cost a search per district: found again only for other polygons.
    std::vector<std::size_t> sizes;
    for (const TPolyArray& polygon : districts.Polygons()) sizes.push_back(polygon.size());
    if (sizes != anchorsFor_) {
        anchors_ = FindLabelAnchors(districts, projection_);
        anchorsFor_ = std::move(sizes);
    }
    fitAll();
    update();
}

void DistrictMapView::setScan(const std::vector<CacheRow>* rows, const DistrictOverview* overview)
{
    rows_ = rows;
    overview_ = overview;
    dots_.clear();
    if (overview_) {
        dots_.reserve(overview_->finds.size());
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        for (const FindPlace& place : overview_->finds)
            dots_.push_back(place.located ? projection_.Project(place.point) : MapPoint{nan, nan});
    }
    ++generation_;  // the same overview may hold another scan
    update();
}

void DistrictMapView::setThreshold(double metres)
{
    threshold_ = metres;
    update();
}

void DistrictMapView::setSelectedDistrict(int district)
{
    selected_ = district;
    update();
}

void DistrictMapView::fitAll()
{
    fitted_ = true;
    const View fitted = fittedView(size());
    scale_ = fitted.scale;
    offset_ = fitted.offset;
    update();
    emit viewChanged();
}

DistrictMapView::View DistrictMapView::fittedView(QSize size) const
{
    if (bounds_.empty) return {1.0, QPointF(size.width() / 2.0, size.height() / 2.0)};
    const double w = std::max(1, size.width() - 2 * FitMargin);
    const double h = std::max(1, size.height() - 2 * FitMargin);
    const double spanX = std::max(bounds_.high.x - bounds_.low.x, 1e-9);
    const double spanY = std::max(bounds_.high.y - bounds_.low.y, 1e-9);
    const double scale = std::min(w / spanX, h / spanY);
    const double midX = (bounds_.low.x + bounds_.high.x) / 2, midY = (bounds_.low.y + bounds_.high.y) / 2;
    return {scale, QPointF(size.width() / 2.0 - midX * scale, size.height() / 2.0 + midY * scale)};
}

double DistrictMapView::aspect() const
{
    if (bounds_.empty) return 1.0;
    const double spanX = bounds_.high.x - bounds_.low.x, spanY = bounds_.high.y - bounds_.low.y;
    return spanX > 0 && spanY > 0 ? spanY / spanX : 1.0;
}

double DistrictMapView::metresPerPixel() const
{
    return MetresPerMapUnit / scale_;
}

PixelTransform DistrictMapView::pixelTransform(const View& view, double pixelRatio)
{
    return {view.scale * pixelRatio, view.offset.x() * pixelRatio, -view.scale * pixelRatio,
            view.offset.y() * pixelRatio};
}

MapPoint DistrictMapView::mapOf(QPointF position) const
{
    return {(position.x() - offset_.x()) / scale_, -(position.y() - offset_.y()) / scale_};
}

QPointF DistrictMapView::positionOf(TFPoint point) const
{
    return positionIn(view(), point);
}

QPointF DistrictMapView::labelPosition(int district) const
{
    const MapPoint at = anchors_[static_cast<std::size_t>(district)].at;
    return {offset_.x() + at.x * scale_, offset_.y() - at.y * scale_};
}

QPointF DistrictMapView::positionIn(const View& view, TFPoint point) const
{
    const MapPoint m = projection_.Project(point);
    return {view.offset.x() + m.x * view.scale, view.offset.y() - m.y * view.scale};
}

QColor DistrictMapView::fillOf(int district) const
{
    if (!overview_) return UncoveredFill;
    switch (overview_->CoverageOf(district, threshold_)) {
    case Coverage::Covered: return CoveredFill;
    case Coverage::NearBorder: return NearBorderFill;
    case Coverage::Uncovered: break;
    }
    return UncoveredFill;
}

std::vector<FindMark> DistrictMapView::findMarks(QSize size) const
{
    return findMarks(size, view());
}

std::vector<FindMark> DistrictMapView::findMarks(QSize size, const View& view) const
{
    std::vector<ScreenFind> finds;
    if (overview_) {
        finds.reserve(dots_.size());
        for (std::size_t i = 0; i < dots_.size(); ++i)
            finds.push_back({view.offset.x() + dots_[i].x * view.scale, view.offset.y() - dots_[i].y * view.scale,
                             overview_->finds[i].district >= 0});
    }
    return GatherFinds(finds, size.width(), size.height());
}

void DistrictMapView::paintOutline(QPainter& painter, QImage& image, const View& view,
                                   const std::vector<const std::vector<MapPoint>*>& chains, const QColor& colour,
                                   int width) const
{
    std::size_t points = 0;
    for (const std::vector<MapPoint>* chain : chains) points += chain->size();
    const double pixelRatio = image.devicePixelRatio();
    if (OutlineDrawnSmoothly(points, width)) {
        QPen pen(colour, width);
        pen.setCosmetic(true);
        painter.save();
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (const std::vector<MapPoint>* chain : chains) {
            QPolygonF line;
            line.reserve(static_cast<qsizetype>(chain->size()));
            for (const MapPoint m : *chain)
                line.append(QPointF(view.offset.x() + m.x * view.scale, view.offset.y() - m.y * view.scale));
            painter.drawPolyline(line);
        }
        painter.restore();
        return;
    }
    // Too many vertices for the painter's strokes: lines set pixel by pixel.
    const PixelTransform pixels = pixelTransform(view, pixelRatio);
    PixelMask mask(image.width(), image.height());
    const int thickness = std::max(1, static_cast<int>(std::lround(width * pixelRatio)));
    for (const std::vector<MapPoint>* chain : chains) mask.DrawPolyline(*chain, pixels, thickness);
    PaintSpans(image, mask.TakeSpans(), colour);
}

QImage DistrictMapView::renderImage(QSize size, const Extras& extras, double pixelRatio) const
{
    QImage image(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont labels = font();
    labels.setBold(true);
    paintMap(painter, image, size, view(), labels);
    if (extras.selection && selected_ >= 0 && selected_ < DistrictCount) {
        std::vector<const std::vector<MapPoint>*> selected;
        for (const std::vector<MapPoint>& chain : borders_[static_cast<std::size_t>(selected_)])
            selected.push_back(&chain);
        paintOutline(painter, image, view(), selected, SelectedBorderColour, 3);
    }
    return image;
}

void DistrictMapView::paintMap(QPainter& painter, QImage& image, QSize size, const View& view,
                               const QFont& labelFont) const
{
    // The districts in pixels of the image: as quick for a boundary of a
    // million vertices as for the pixels it covers. The painter may draw into
    // a part of the image: its translation moves the fill along.
    const double pixelRatio = image.devicePixelRatio();
    const QPointF shift = painter.transform().map(QPointF(0, 0));
    const View shifted{view.scale, view.offset + shift};
    const PixelTransform pixels = pixelTransform(shifted, pixelRatio);
    PixelMask mask(image.width(), image.height());
    const QRect area = QRect((shift * pixelRatio).toPoint(), size * pixelRatio);
    for (int d = 0; d < DistrictCount; ++d) {
        mask.FillEvenOdd(outlines_[static_cast<std::size_t>(d)], pixels);
        std::vector<PixelSpan> spans = mask.TakeSpans();
        // Only what lies in the area drawn.
        std::vector<PixelSpan> inside;
        inside.reserve(spans.size());
        for (PixelSpan span : spans) {
            if (span.y < area.top() || span.y > area.bottom()) continue;
            span.begin = std::max(span.begin, area.left());
            span.end = std::min(span.end, area.right() + 1);
            if (span.begin < span.end) inside.push_back(span);
        }
        PaintSpans(image, inside, fillOf(d));
    }

    // The finds under the borders: one dot per find, or per cell where they are dense.
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), size));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const FindMark& mark : findMarks(size, view)) {
        painter.setBrush(mark.counted ? CountedDot : NotInPolygonDot);
        painter.drawEllipse(QPointF(mark.x, mark.y), mark.radius, mark.radius);
    }

    std::vector<const std::vector<MapPoint>*> all;
    for (const auto& chains : borders_)
        for (const std::vector<MapPoint>& chain : chains) all.push_back(&chain);
    if (shift.isNull()) {
        paintOutline(painter, image, view, all, BorderColour, 1);
    } else {
        // Lines set pixel by pixel know nothing of the painter's place: they get the shifted view.
        painter.save();
        painter.resetTransform();
        painter.setClipRect(QRectF(shift, QSizeF(size)));
        paintOutline(painter, image, shifted, all, BorderColour, 1);
        painter.restore();
    }
    paintLabels(painter, view, labelFont);
    painter.restore();
}

void DistrictMapView::paintLabels(QPainter& painter, const View& view, const QFont& font) const
{
    if (!overview_ || !districts_) return;
    painter.save();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (int d = 0; d < DistrictCount; ++d) {
        const LabelAnchor& anchor = anchors_[static_cast<std::size_t>(d)];
        const QString text =
            FromUtf8(GroupedNumber(static_cast<std::size_t>(overview_->districts[static_cast<std::size_t>(d)].finds)));
        const QSize box(metrics.horizontalAdvance(text), metrics.height());
        if (!LabelFits(anchor.clearance * view.scale, box.width(), box.height())) continue;
        const QPointF at(view.offset.x() + anchor.at.x * view.scale, view.offset.y() - anchor.at.y * view.scale);
        const QPointF baseline(at.x() - box.width() / 2.0, at.y() + metrics.ascent() - box.height() / 2.0);
        QPainterPath path;
        path.addText(baseline, font, text);
        painter.setPen(QPen(QColor(255, 255, 255, 220), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(20, 20, 20));
        painter.drawPath(path);
    }
    painter.restore();
}

int DistrictMapView::districtAt(QPoint position) const
{
    if (!districts_) return -1;
    const TFPoint p = projection_.Unproject(mapOf(position));
    return districts_->Find(p).value_or(-1);
}

int DistrictMapView::findAt(QPoint position) const
{
    int best = -1;
    double bestDistance = HitRadius * HitRadius;
    for (std::size_t i = 0; i < dots_.size(); ++i) {
        const double dx = offset_.x() + dots_[i].x * scale_ - position.x();
        const double dy = offset_.y() - dots_[i].y * scale_ - position.y();
        const double d = dx * dx + dy * dy;
        if (d <= bestDistance) {  // NaN never is
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

QString DistrictMapView::toolTipAt(QPoint position) const
{
    const int row = findAt(position);
    if (row >= 0 && rows_ && static_cast<std::size_t>(row) < rows_->size()) {
        const CacheRow& r = (*rows_)[static_cast<std::size_t>(row)];
        const FindPlace& place = overview_->finds[static_cast<std::size_t>(row)];
        QString text = FromUtf8(r.GCCode) + QLatin1Char(' ') + FromUtf8(DecodeCharacterReferences(r.Name)) +
                       QStringLiteral("\nGefunden am ") + FromUtf8(r.FindDate) + QLatin1Char('\n');
        const QString measured =
            place.measured >= 0 ? FromUtf8(DistrictNames[static_cast<std::size_t>(place.measured)]) : QString();
        const bool known = std::isfinite(place.borderMetres);
        if (place.district >= 0) {
            text += FromUtf8(DistrictNames[static_cast<std::size_t>(place.district)]) +
                    (known ? QStringLiteral(", ") + MetresText(place.borderMetres) + QStringLiteral(" m vom Rand")
                           : QStringLiteral(", Abstand zum Rand unbekannt"));
        } else if (known) {
            text += QStringLiteral("Nicht im Polygon: ") + MetresText(place.borderMetres) +
                    QStringLiteral(" m außerhalb von ") + measured;
        } else {
            text += QStringLiteral("Nicht im Polygon");
        }
        return text;
    }
    const int district = districtAt(position);
    if (district < 0) return {};
    const int finds = overview_ ? overview_->districts[static_cast<std::size_t>(district)].finds : 0;
    const QString name = FromUtf8(DistrictNames[static_cast<std::size_t>(district)]);
    if (finds == 0) return name + QStringLiteral(": keine Funde");
    return name + QStringLiteral(": ") + QString::number(finds) +
           (finds == 1 ? QStringLiteral(" Fund") : QStringLiteral(" Funde"));
}

bool DistrictMapView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void DistrictMapView::paintEvent(QPaintEvent*)
{
    const PaintedView view{size(), devicePixelRatioF(), scale_, threshold_, offset_, selected_, generation_};
    if (painted_.isNull() || !(view == paintedView_)) {
        painted_ = renderImage(size(), Extras{}, devicePixelRatioF());
        paintedView_ = view;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, painted_);
}

void DistrictMapView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitAll();
}

void DistrictMapView::wheelEvent(QWheelEvent* event)
{
    const double factor = std::pow(WheelStep, event->angleDelta().y() / 120.0);
    const QPointF at = event->position();
    // The map point under the cursor stays under it.
    offset_ = at - (at - offset_) * factor;
    scale_ *= factor;
    update();
    emit viewChanged();
    event->accept();
}

void DistrictMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    dragged_ = false;
    dragStart_ = event->position();
}

void DistrictMapView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) return;
    const QPointF delta = event->position() - dragStart_;
    if (!dragged_ && delta.manhattanLength() < 3) return;
    dragged_ = true;
    offset_ += delta;
    dragStart_ = event->position();
    update();
}

void DistrictMapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    if (dragged_) return;
    const int district = districtAt(event->position().toPoint());
    if (district >= 0) emit districtClicked(district);
}

void DistrictMapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = findAt(event->position().toPoint());
    if (row >= 0) emit findActivated(row);
}

}  // namespace ql::ui

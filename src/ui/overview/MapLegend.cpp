#include "ui/overview/MapLegend.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/planner/CandidateMapLayer.h"

namespace ql::ui {

namespace {

const QColor BoxColour(255, 255, 255, 225);
const QColor BoxEdge(120, 120, 120);
constexpr int Pad = 6;

int SwatchSize(const QFontMetrics& metrics)
{
    return metrics.height() - 2;
}

int BarLength(const ScaleBar& bar)
{
    return static_cast<int>(std::lround(bar.pixels));
}

// The bar itself with its end ticks, its left end at x, its line at y.
void DrawBar(QPainter& painter, int x, int y, int length)
{
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(x, y, x + length, y);
    painter.drawLine(x, y - 4, x, y);
    painter.drawLine(x + length, y - 4, x + length, y);
}

// The legend's entries one after the other, wrapped to the width, then the
// scale bar: each item's box, for painting and for the height.
struct FlowItem {
    QRect box;
    int entry = -1;  // -1: the scale bar
};

constexpr int ItemGap = 14;

std::vector<FlowItem> Flow(const QFontMetrics& metrics, int width, const std::vector<LegendEntry>& entries,
                           const ScaleBar& bar)
{
    const int line = metrics.height() + 4;
    const int swatch = SwatchSize(metrics);
    std::vector<FlowItem> items;
    int x = 0, y = 0;
    const auto place = [&](int itemWidth, int entry) {
        if (x > 0 && x + itemWidth > width) {
            x = 0;
            y += line;
        }
        items.push_back({QRect(x, y, itemWidth, line), entry});
        x += itemWidth + ItemGap;
    };
    for (std::size_t i = 0; i < entries.size(); ++i)
        place(swatch + 4 + metrics.horizontalAdvance(FromUtf8(entries[i].text)), static_cast<int>(i));
    if (bar.pixels > 0) place(BarLength(bar) + 6 + metrics.horizontalAdvance(FromUtf8(bar.text)), -1);
    return items;
}

class LegendStrip : public QWidget {
public:
    explicit LegendStrip(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("legendStrip")); }
    void setEntries(std::vector<LegendEntry> entries)
    {
        entries_ = std::move(entries);
        update();
    }
    void setScaleBar(const ScaleBar& bar)
    {
        bar_ = bar;
        update();
    }
    // The rows the entries take at a width.
    int rowsHeight(int width) const
    {
        const std::vector<FlowItem> items = Flow(fontMetrics(), width, entries_, bar_);
        return std::max(items.empty() ? 0 : items.back().box.bottom() + 1, fontMetrics().height() + 4);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const int swatch = SwatchSize(metrics);
        for (const FlowItem& item : Flow(metrics, width(), entries_, bar_)) {
            if (item.entry < 0) {
                const int length = BarLength(bar_);
                DrawBar(painter, item.box.left() + 1, item.box.center().y() + 3, length);
                painter.setPen(palette().color(QPalette::WindowText));
                painter.drawText(
                    QRect(item.box.left() + length + 6, item.box.top(), item.box.width(), item.box.height()),
                    Qt::AlignLeft | Qt::AlignVCenter, FromUtf8(bar_.text));
                continue;
            }
            const LegendEntry& entry = entries_[static_cast<std::size_t>(item.entry)];
            const QRect mark(item.box.left(), item.box.top() + (item.box.height() - swatch) / 2, swatch, swatch);
            PaintSwatch(painter, mark, entry.swatch);
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(item.box.adjusted(swatch + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             FromUtf8(entry.text));
        }
    }

private:
    std::vector<LegendEntry> entries_;
    ScaleBar bar_;
};

}  // namespace

QColor SwatchColour(LegendSwatch swatch)
{
    switch (swatch) {
    case LegendSwatch::Covered: return DistrictMapView::CoveredFill;
    case LegendSwatch::NearBorder: return DistrictMapView::NearBorderFill;
    case LegendSwatch::Uncovered: return DistrictMapView::UncoveredFill;
    case LegendSwatch::Find: return DistrictMapView::CountedDot;
    case LegendSwatch::FindOutside: return DistrictMapView::NotInPolygonDot;
    case LegendSwatch::Candidate: return CandidateMapLayer::SymbolFill;
    }
    return Qt::black;
}

void PaintSwatch(QPainter& painter, const QRect& mark, LegendSwatch swatch)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = SwatchColour(swatch);
    if (swatch == LegendSwatch::Candidate) {
        PaintCandidateSwatch(painter, QRectF(mark));
    } else if (swatch == LegendSwatch::Find || swatch == LegendSwatch::FindOutside) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(QPointF(mark.center()), QSizeF()).adjusted(-3, -3, 3, 3));
    } else {
        painter.setPen(DistrictMapView::BorderColour);
        painter.setBrush(colour);
        painter.drawRect(mark.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

QSize LegendBoxSize(const QFontMetrics& metrics, const std::vector<LegendEntry>& entries)
{
    const int line = metrics.height() + 2;
    int textWidth = 0;
    for (const LegendEntry& entry : entries)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(FromUtf8(entry.text)));
    return {2 * Pad + SwatchSize(metrics) + Pad + textWidth + 1, 2 * Pad + line * static_cast<int>(entries.size())};
}

QRect PaintLegend(QPainter& painter, QPoint topLeft, const std::vector<LegendEntry>& entries)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height() + 2;
    const int swatch = SwatchSize(metrics);
    const QRect box(topLeft, LegendBoxSize(metrics, entries));
    painter.save();
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    int y = box.top() + Pad;
    for (const LegendEntry& entry : entries) {
        const QRect mark(box.left() + Pad, y + (line - swatch) / 2, swatch, swatch);
        PaintSwatch(painter, mark, entry.swatch);
        painter.setPen(Qt::black);
        painter.drawText(QRect(mark.right() + Pad + 1, y, box.right() - mark.right() - Pad, line),
                         Qt::AlignVCenter | Qt::AlignLeft, FromUtf8(entry.text));
        y += line;
    }
    painter.restore();
    return box;
}

QSize ScaleBarBoxSize(const QFontMetrics& metrics, const ScaleBar& bar)
{
    if (bar.pixels <= 0) return {};
    return {std::max(BarLength(bar), metrics.horizontalAdvance(FromUtf8(bar.text))) + 2 * Pad,
            metrics.height() + 8 + 2 * Pad};
}

void PaintScaleBar(QPainter& painter, QPoint topLeft, const ScaleBar& bar)
{
    if (bar.pixels <= 0) return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box(topLeft, ScaleBarBoxSize(metrics, bar));
    painter.save();
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    DrawBar(painter, box.left() + Pad, box.bottom() - Pad - 2, BarLength(bar));
    painter.setPen(Qt::black);
    painter.drawText(QRect(box.left() + Pad, box.top() + Pad - 2, box.width() - 2 * Pad, metrics.height()),
                     Qt::AlignLeft, FromUtf8(bar.text));
    painter.restore();
}

namespace {

int TextLinesHeight(const QFontMetrics& metrics, int width, const QStringList& lines)
{
    int height = 0;
    for (const QString& line : lines)
        height += metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, line).height();
    return height;
}

}  // namespace

int PaintTextBoxHeight(const QFontMetrics& metrics, int width, const QStringList& lines)
{
    return 2 * Pad + TextLinesHeight(metrics, width - 2 * Pad, lines);
}

QRect PaintTextBox(QPainter& painter, QPoint topLeft, int width, const QStringList& lines)
{
    const QRect box(topLeft, QSize(width, PaintTextBoxHeight(painter.fontMetrics(), width, lines)));
    painter.save();
    painter.setPen(BoxEdge);
    painter.setBrush(BoxColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    int y = box.top() + Pad;
    for (const QString& line : lines) {
        const QRect area(box.left() + Pad, y, box.width() - 2 * Pad, 100000);
        const QRect used = painter.fontMetrics().boundingRect(area, Qt::TextWordWrap, line);
        painter.drawText(area, Qt::TextWordWrap, line);
        y += used.height();
    }
    painter.restore();
    return box;
}

QString ShortSourceLine()
{
    // The attribution is the source line's first sentence.
    const QString line = FromUtf8(BoundarySourceLine);
    const qsizetype end = line.indexOf(QStringLiteral(". "));
    return end < 0 ? line : line.left(end + 1);
}

MapLegendBand::MapLegendBand(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("legendBand"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    btnLegende_ = new QToolButton(this);
    btnLegende_->setObjectName(QStringLiteral("btnLegende"));
    btnLegende_->setText(QStringLiteral("&Legende"));
    btnLegende_->setCheckable(true);
    btnLegende_->setChecked(true);
    btnLegende_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnLegende_->setArrowType(Qt::DownArrow);
    btnLegende_->setAutoRaise(true);
    btnLegende_->setToolTip(QStringLiteral("Legende und Quellenangabe ein- oder ausklappen"));
    strip_ = new LegendStrip(this);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblKurz_ = new QLabel(ShortSourceLine(), this);
    lblKurz_->setObjectName(QStringLiteral("lblQuelleKurz"));
    lblKurz_->setTextFormat(Qt::PlainText);
    lblKurz_->setToolTip(FromUtf8(BoundarySourceLine));
    lblKurz_->setFont(small);
    lblKurz_->hide();
    lblQuelle_ = new QLabel(FromUtf8(BoundarySourceLine), this);
    lblQuelle_->setObjectName(QStringLiteral("lblQuelle"));
    lblQuelle_->setTextFormat(Qt::PlainText);
    lblQuelle_->setWordWrap(true);
    lblQuelle_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblQuelle_->setFont(small);

    connect(btnLegende_, &QToolButton::toggled, this, [this](bool shown) { setFolded(!shown); });
}

// The band lays itself out: its height follows its width (the legend's rows,
// the source line's lines).
MapLegendBand::Places MapLegendBand::placesFor(int width) const
{
    constexpr int Gap = 4;
    Places p;
    const QSize button = btnLegende_->sizeHint();
    const int middleLeft = button.width() + Gap;
    const int middleWidth = std::max(1, width - middleLeft);
    const int middleHeight =
        folded() ? lblKurz_->sizeHint().height() : static_cast<const LegendStrip*>(strip_)->rowsHeight(middleWidth);
    const int row = std::max(button.height(), middleHeight);
    p.button = QRect(0, Gap / 2, button.width(), button.height());
    p.middle = QRect(middleLeft, Gap / 2 + (folded() ? (row - middleHeight) / 2 : 0), middleWidth, middleHeight);
    int height = Gap / 2 + row;
    if (!folded()) {
        const int lines =
            lblQuelle_->fontMetrics()
                .boundingRect(QRect(0, 0, std::max(1, width), 100000), Qt::TextWordWrap, lblQuelle_->text())
                .height();
        p.source = QRect(0, height + Gap / 2, width, lines + 2);
        height = p.source.bottom() + 1;
    }
    p.height = height + Gap / 2;
    return p;
}

QSize MapLegendBand::sizeHint() const
{
    return {btnLegende_->sizeHint().width() * 4, placesFor(width()).height};
}

QSize MapLegendBand::minimumSizeHint() const
{
    return {btnLegende_->sizeHint().width() * 2, placesFor(width()).height};
}

void MapLegendBand::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MapLegendBand::relayout()
{
    const Places p = placesFor(width());
    btnLegende_->setGeometry(p.button);
    strip_->setGeometry(p.middle);
    lblKurz_->setGeometry(p.middle);
    lblQuelle_->setGeometry(p.source);
    // Another height at this width: the map gets what the band no longer takes.
    if (p.height != height()) updateGeometry();
}

void MapLegendBand::setEntries(std::vector<LegendEntry> entries)
{
    static_cast<LegendStrip*>(strip_)->setEntries(std::move(entries));
    relayout();
}

void MapLegendBand::setScaleBar(const ScaleBar& bar)
{
    static_cast<LegendStrip*>(strip_)->setScaleBar(bar);
    relayout();
}

bool MapLegendBand::folded() const
{
    return !btnLegende_->isChecked();
}

void MapLegendBand::setFolded(bool folded)
{
    btnLegende_->setChecked(!folded);
    btnLegende_->setArrowType(folded ? Qt::RightArrow : Qt::DownArrow);
    // Folded, one row: the button, the attribution, the candidates' switch.
    strip_->setVisible(!folded);
    lblQuelle_->setVisible(!folded);
    lblKurz_->setVisible(folded);
    relayout();
}

}  // namespace ql::ui

#include "ui/overview/OverviewPicture.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

#include "districts/map_drawing.h"
#include "query/query_pipeline.h"
#include "state/app_state.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/MapLegend.h"
#include "ui/overview/ProgressChart.h"
#include "ui/planner/CandidateMapLayer.h"

namespace ql::ui {

namespace {

constexpr int ChartHeight = 320;
constexpr int MaxScaleBarPixels = 240;
const QColor FrameColour(150, 150, 150);

// The picture's fonts, in pixels: the same on every screen.
QFont PictureFont(int pixels, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    // Hinting follows the screen's scale unless chosen: chosen, the glyphs are the same everywhere.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont CaptionFont()
{
    return PictureFont(24);
}
QFont LegendFont()
{
    return PictureFont(18);
}
QFont LabelFont()
{
    return PictureFont(16, true);
}
QFont ChartFont()
{
    return PictureFont(17);
}
QFont SourceFont()
{
    return PictureFont(16);
}

QRect ToQRect(const PictureRect& r)
{
    return {r.x, r.y, r.width, r.height};
}

std::vector<LegendEntry> LegendOf(const OverviewPictureContent& content)
{
    return MapLegendEntries(content.thresholdMetres, content.finds, content.outside, content.candidates.size());
}

// The scale bar for the map as fitted into its area.
ScaleBar ScaleBarOf(const DistrictMapView& map, QSize area)
{
    return ChooseScaleBar(MetresPerMapUnit / map.fittedView(area).scale, MaxScaleBarPixels);
}

// The map's area for a width: the layout does not depend on the bar's text, so one pass with a probe will do.
PictureMeasures Measure(const DistrictMapView& map, const OverviewPictureContent& content)
{
    PictureMeasures m;
    m.width = OverviewPictureWidth;
    const int inner = m.width - 2 * PictureMargin;
    m.captionHeight = PaintTextBoxHeight(QFontMetrics(CaptionFont()), inner, content.caption);
    m.mapAspect = map.aspect();
    const QSize legend = LegendBoxSize(QFontMetrics(LegendFont()), LegendOf(content));
    m.legendWidth = legend.width();
    m.legendHeight = legend.height();
    // The longest bar and text the bar can take.
    const QSize bar = ScaleBarBoxSize(QFontMetrics(LegendFont()), ScaleBar{0, MaxScaleBarPixels, "500 km"});
    m.scaleBarWidth = bar.width();
    m.scaleBarHeight = bar.height();
    m.chartHeight = content.steps.empty() ? 0 : ChartHeight;
    m.licenceHeight = PaintTextBoxHeight(QFontMetrics(SourceFont()), inner, {FromUtf8(BoundarySourceLine)});
    return m;
}

}  // namespace

QStringList OverviewCaption(int covered, const std::string& queryDate, bool cutoffEnabled)
{
    QStringList caption;
    caption << QStringLiteral("Quenlorn: ") + QString::number(covered) + QStringLiteral(" von 36 Kreisen belegt");
    caption << (queryDate.empty() ? QStringLiteral("Keine Query geladen")
                                  : QStringLiteral("Query vom ") + FromUtf8(queryDate).trimmed());
    caption << (cutoffEnabled ? QStringLiteral("Funde ab ") + FromUtf8(CutoffDate)
                              : QStringLiteral("Stichtag aus: auch Funde vor dem ") + FromUtf8(CutoffDate) +
                                    QStringLiteral(" gezählt"));
    return caption;
}

OverviewPictureContent PictureContentOf(const AppState& state, const DistrictOverview& overview, double thresholdMetres,
                                        std::vector<TFPoint> candidates)
{
    const std::string date =
        state.QueryLines.Empty() ? std::string() : IsMyFindsQuery(state.QueryLines).value_or(std::string());
    return PictureContentOf(overview, thresholdMetres, std::move(candidates), date, state.CutoffEnabled,
                            CoverageTimeline(state.Rows));
}

OverviewPictureContent PictureContentOf(const DistrictOverview& overview, double thresholdMetres,
                                        std::vector<TFPoint> candidates, const std::string& queryDate,
                                        bool cutoffEnabled, std::vector<ProgressStep> steps)
{
    OverviewPictureContent content;
    content.caption = OverviewCaption(overview.CoveredCount(), queryDate, cutoffEnabled);
    content.thresholdMetres = thresholdMetres;
    content.finds = overview.finds.size();
    for (const FindPlace& place : overview.finds) content.outside += place.district < 0;
    content.candidates = std::move(candidates);
    content.steps = std::move(steps);
    return content;
}

PictureLayout OverviewPictureLayout(const DistrictMapView& map, const OverviewPictureContent& content)
{
    return LayOutPicture(Measure(map, content));
}

QImage DrawOverviewPicture(const DistrictMapView& map, const OverviewPictureContent& content)
{
    const PictureLayout layout = OverviewPictureLayout(map, content);
    QImage image(layout.width, layout.height, QImage::Format_ARGB32_Premultiplied);
    // 96 dots per inch in the file, whatever the screen's scale: the same bytes everywhere.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter painter(&image);

    painter.setFont(CaptionFont());
    PaintTextBox(painter, ToQRect(layout.caption).topLeft(), layout.caption.width, content.caption);

    // The map fitted into its area, the candidates on it, a thin frame around it.
    const QRect mapArea = ToQRect(layout.map);
    const DistrictMapView::View view = map.fittedView(mapArea.size());
    painter.save();
    painter.translate(mapArea.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), mapArea.size()));
    map.paintMap(painter, image, mapArea.size(), view, LabelFont());
    if (!content.candidates.empty()) {
        std::vector<QPointF> positions;
        positions.reserve(content.candidates.size());
        for (TFPoint p : content.candidates) positions.push_back(map.positionIn(view, p));
        PaintCandidateSymbols(painter, positions, QSizeF(mapArea.size()));
    }
    painter.restore();
    painter.setPen(FrameColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mapArea.adjusted(0, 0, -1, -1));

    painter.setFont(LegendFont());
    PaintLegend(painter, ToQRect(layout.legend).topLeft(), LegendOf(content));
    PaintScaleBar(painter, ToQRect(layout.scaleBar).topLeft(), ScaleBarOf(map, mapArea.size()));

    if (!layout.chart.empty()) {
        const QRect chart = ToQRect(layout.chart);
        painter.setFont(ChartFont());
        painter.save();
        painter.setClipRect(chart);
        PaintProgressChart(painter, chart.adjusted(1, 1, -1, -1), content.steps);
        painter.restore();
        painter.setPen(FrameColour);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(chart.adjusted(0, 0, -1, -1));
    }

    painter.setFont(SourceFont());
    PaintTextBox(painter, ToQRect(layout.licence).topLeft(), layout.licence.width, {FromUtf8(BoundarySourceLine)});
    painter.end();
    return image;
}

QByteArray OverviewPicturePng(const DistrictMapView& map, const OverviewPictureContent& content)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    DrawOverviewPicture(map, content).save(&buffer, "PNG");
    return bytes;
}

}  // namespace ql::ui

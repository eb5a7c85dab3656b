#pragma once
// The furniture of the overview map: the legend, the scale bar and the
// boundaries' source line. In the window they sit in a band below the map
// (MapLegendBand), which can be folded to one line; the saved picture draws
// them in boxes of their own beside and below the map.

#include <QColor>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "districts/map_drawing.h"

class QFontMetrics;
class QLabel;
class QPainter;
class QToolButton;

namespace ql::ui {

// The colour of a legend entry's swatch, the same as the map's.
QColor SwatchColour(LegendSwatch swatch);
// An entry's swatch in a box.
void PaintSwatch(QPainter& painter, const QRect& box, LegendSwatch swatch);

// The legend in a box whose top-left corner is at topLeft; returns the box.
QRect PaintLegend(QPainter& painter, QPoint topLeft, const std::vector<LegendEntry>& entries);
// The size of that box.
QSize LegendBoxSize(const QFontMetrics& metrics, const std::vector<LegendEntry>& entries);

// The scale bar with its text in a box with its top-left corner at topLeft.
void PaintScaleBar(QPainter& painter, QPoint topLeft, const ScaleBar& bar);
QSize ScaleBarBoxSize(const QFontMetrics& metrics, const ScaleBar& bar);

// Lines of text on a light box, wrapped to width, from top-left; returns the box.
QRect PaintTextBox(QPainter& painter, QPoint topLeft, int width, const QStringList& lines);
// The height such a box takes.
int PaintTextBoxHeight(const QFontMetrics& metrics, int width, const QStringList& lines);

// The boundaries' source line as the folded band shows it: the attribution alone.
QString ShortSourceLine();

// The band under the map: the legend's entries in a row (wrapped where the
// map is narrow) with the scale bar, and the whole source line in a small font. "Legende" folds it to one row with
// the attribution alone (the whole line is its tooltip).
class MapLegendBand : public QWidget {
    Q_OBJECT
public:
    explicit MapLegendBand(QWidget* parent = nullptr);

    void setEntries(std::vector<LegendEntry> entries);
    void setScaleBar(const ScaleBar& bar);

    bool folded() const;
    void setFolded(bool folded);

    QToolButton* foldButton() const { return btnLegende_; }
    QLabel* sourceLabel() const { return lblQuelle_; }
    QWidget* legendStrip() const { return strip_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Places {
        QRect button, middle, source;
        int height = 0;
    };
    Places placesFor(int width) const;
    void relayout();

    QToolButton* btnLegende_ = nullptr;
    QWidget* strip_ = nullptr;
    QLabel* lblQuelle_ = nullptr;  // the whole source line, under the legend
    QLabel* lblKurz_ = nullptr;  // the attribution alone, beside the folded button
};

}  // namespace ql::ui

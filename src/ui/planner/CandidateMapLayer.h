#pragma once
// The candidates on the overview's map: a layer over the map widget that
// draws them as small hollow diamonds where the map puts their points,
// gathered per screen cell as the finds are (so the district's colour stays
// the larger part of any area, however many candidates lie there), follows
// the map's zoom and pan, tells code, name and D/T on hover and opens the
// listing on a double-click. The map itself is not changed.

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

#include <vector>

#include "geo/point.h"
#include "planner/candidate.h"

namespace ql::ui {

class DistrictMapView;

// Candidate symbols at pixel positions within an area from (0, 0): one per
// screen cell, a little larger where a cell holds several.
void PaintCandidateSymbols(QPainter& painter, const std::vector<QPointF>& positions, QSizeF area);
// The legend's picture of a candidate, centred in a box.
void PaintCandidateSwatch(QPainter& painter, const QRectF& box);

class CandidateMapLayer : public QWidget {
    Q_OBJECT
public:
    static inline const QColor SymbolFill{0, 60, 200};
    static inline const QColor SymbolHalo{255, 255, 255, 170};
    static constexpr double SymbolRadius = 3.5;  // one candidate
    static constexpr double MaxSymbolRadius = 5.0;  // a cell of many
    static constexpr double CellPixels = 16.0;  // one symbol per cell at most

    explicit CandidateMapLayer(DistrictMapView* map);

    // The candidates to show (indexes into `caches`, which stays owned by the caller).
    void setCandidates(const std::vector<Candidate>* caches, std::vector<std::size_t> shown);
    std::size_t count() const { return shown_.size(); }
    // The shown candidates' points.
    std::vector<TFPoint> points() const;

    // The candidate at a position of the map, or -1.
    long long candidateAt(QPoint position) const;
    QString toolTipAt(QPoint position) const;

    // Draws the symbols onto a picture of the map taken at the map's size.
    void drawOn(QPainter& painter) const;

signals:
    void candidateActivated(std::size_t cache);
    void candidatesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DistrictMapView* map_;
    const std::vector<Candidate>* caches_ = nullptr;
    std::vector<std::size_t> shown_;
};

}  // namespace ql::ui

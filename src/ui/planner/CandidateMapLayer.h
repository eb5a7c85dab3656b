#pragma once
// The candidates on the overview's map: a layer over the map widget that
// draws each as a blue diamond where the map puts its point, follows the
// map's zoom and pan, tells code, name and D/T on hover and opens the listing
// on a double-click. The map itself is not changed.

#include <QColor>
#include <QPainter>
#include <QWidget>

#include <vector>

#include "planner/candidate.h"

namespace ql::ui {

class DistrictMapView;

class CandidateMapLayer : public QWidget {
    Q_OBJECT
public:
    static inline const QColor SymbolFill{0, 90, 230};
    static inline const QColor SymbolOutline{255, 255, 255};
    static constexpr int SymbolRadius = 5;

    explicit CandidateMapLayer(DistrictMapView* map);

    // The candidates to show (indexes into `caches`, which stays owned by the caller).
    void setCandidates(const std::vector<Candidate>* caches, std::vector<std::size_t> shown);

    // The candidate at a position of the map, or -1.
    long long candidateAt(QPoint position) const;
    QString toolTipAt(QPoint position) const;

    // Draws the symbols onto a picture of the map taken at the map's size.
    void drawOn(QPainter& painter) const;

signals:
    void candidateActivated(std::size_t cache);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DistrictMapView* map_;
    const std::vector<Candidate>* caches_ = nullptr;
    std::vector<std::size_t> shown_;
};

}  // namespace ql::ui

#pragma once
// The tour on a map: a layer over the map widget that draws the line from
// home through the stops (and back when the trip returns), home as a square
// and each stop as a numbered circle, where the map puts their points. It
// follows the map's zoom and pan; the map itself is not changed.

#include <QColor>
#include <QPainter>
#include <QWidget>

#include <optional>
#include <vector>

#include "geo/point.h"

namespace ql::ui {

class DistrictMapView;

class TripMapLayer : public QWidget {
    Q_OBJECT
public:
    static inline const QColor LineColour{20, 40, 160};
    static inline const QColor StopFill{255, 255, 255};
    static inline const QColor HomeFill{20, 40, 160};
    static constexpr int StopRadius = 9;

    explicit TripMapLayer(DistrictMapView* map);

    // The start, the stops in order, and whether the line goes back home.
    void setTour(std::optional<TFPoint> home, std::vector<TFPoint> stops, bool returns);

    // The stop (0-based) whose circle holds a position of the map, or -1.
    int stopAt(QPoint position) const;

    // Draws the tour onto a picture of the map taken at the map's size.
    void drawOn(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DistrictMapView* map_;
    std::optional<TFPoint> home_;
    std::vector<TFPoint> stops_;
    bool returns_ = false;
};

}  // namespace ql::ui

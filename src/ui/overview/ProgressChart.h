#pragma once
// How the challenge grew: districts covered over time by find date, a step
// line from the first covering find to today's count, the cut-off date marked.

#include <QColor>
#include <QImage>
#include <QWidget>

#include <vector>

#include "planner/progress.h"

namespace ql::ui {

class ProgressChart : public QWidget {
    Q_OBJECT
public:
    static inline const QColor LineColour{0, 110, 0};
    static inline const QColor CutoffColour{200, 0, 0};

    explicit ProgressChart(QWidget* parent = nullptr);

    void setSteps(std::vector<ProgressStep> steps);
    const std::vector<ProgressStep>& steps() const { return steps_; }

    // The chart drawn at a size, for saving beside the map.
    QImage renderImage(QSize size) const;

    QSize sizeHint() const override { return {420, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ProgressStep> steps_;
};

// The chart with its title drawn into an area of a painter, up to today.
void PaintProgressChart(QPainter& painter, QRect area, const std::vector<ProgressStep>& steps);

// Days since 1970-01-01 of "YYYY-MM-DD".
int DayNumber(const std::string& date);

}  // namespace ql::ui

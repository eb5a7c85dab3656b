#pragma once
// A horizontal gauge 0..100 with its percentage written on it: a navy bar on
// white, the figure white where it stands on the bar and black elsewhere.

#include <QProgressBar>

namespace ql::ui {

class PercentGauge : public QProgressBar {
public:
    explicit PercentGauge(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ql::ui

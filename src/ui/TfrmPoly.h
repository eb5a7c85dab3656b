#pragma once
// Placeholder until the window is built; created hidden at start-up.

#include <QDialog>

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmPoly : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPoly(AppState& state, QWidget* parent = nullptr) : QDialog(parent), state_(state) {}
    void FormCreate() {}

private:
    AppState& state_;
};

}  // namespace ql::ui

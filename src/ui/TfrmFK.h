#pragma once
// Placeholder until the window is built; created hidden at start-up.

#include <QDialog>

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmFK : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFK(AppState& state, QWidget* parent = nullptr) : QDialog(parent), state_(state) {}
    void FormCreate() {}

private:
    AppState& state_;
};

}  // namespace ql::ui

#pragma once
// Placeholder until the window is built; created hidden at start-up.

#include <QWidget>

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmWeb : public QWidget {
    Q_OBJECT
public:
    explicit TfrmWeb(AppState& state, QWidget* parent = nullptr) : QWidget(parent), state_(state) {}
    void FormCreate() {}

private:
    AppState& state_;
};

}  // namespace ql::ui

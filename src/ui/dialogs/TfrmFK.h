#pragma once
// The final-coordinates window: offers the challenge's final-coordinates
// document from the web once every district holds a find.

#include <QDialog>

class QPushButton;

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmFK : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFK(AppState& state, QWidget* parent = nullptr);

    void FormCreate();
    // Hands the document's address to the desktop; the window stays open.
    void sbtnDownloadFKClick();
    void sbtnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    [[maybe_unused]] AppState& state_;  // the window shows no state of its own
    QPushButton* sbtnDownloadFK_ = nullptr;
    QPushButton* sbtnOK_ = nullptr;
};

}  // namespace ql::ui

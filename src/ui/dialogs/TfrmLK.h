#pragma once
// The district tally window: the finds of the last scan per Landkreis and
// Stadtkreis, green where a district has finds, red where it has none.

#include <QDialog>
#include <QPalette>

#include <array>

#include "core/tables.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmFK;

class TfrmLK : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLK(AppState& state, QWidget* parent = nullptr);

    // The final-coordinates window offered when every district has a find.
    void setFinalCoordinatesWindow(TfrmFK* frmFK) { frmFK_ = frmFK; }

    void FormCreate();
    void ResetTallyLabels();
    // The district overview instead of this window: it closes and asks for
    // the overview (context menu "Kreisübersicht..." or Ctrl+K).
    void mnuKreisuebersichtClick();
    // Rebuilds frames and labels from the tally; runs once per showing.
    void FormActivate();
    void bbtnOKClick();

    // Frame colours: button face with the cut-off filter on, 3D light with it off.
    static constexpr QPalette::ColorRole FilterOnFrameRole = QPalette::Button;
    static constexpr QPalette::ColorRole FilterOffFrameRole = QPalette::Midlight;

signals:
    // After the window has closed: the overview is wanted.
    void overviewRequested();

protected:
    bool event(QEvent* event) override;
    // The rebuild of one showing, once: at its activation or right after it shows.
    void runPendingActivation();
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void buildOverviewEntry();
    void setFrameColour(QPalette::ColorRole role);

    AppState& state_;
    TfrmFK* frmFK_ = nullptr;
    QGroupBox* gboxLK_ = nullptr;
    QGroupBox* gboxSK_ = nullptr;
    QPushButton* bbtnOK_ = nullptr;
    // Each district's name label (lblLKk, lblSKk) and count label (lblLKAnzk,
    // lblSKAnzk), by district index.
    std::array<QLabel*, DistrictCount> nameLabels_{};
    std::array<QLabel*, DistrictCount> countLabels_{};
    QLabel* lblUebersicht_ = nullptr;  // the way to the overview; says when the boundaries are not loaded
    // Set by showing, cleared by the first activation of that showing: returning
    // from the final-coordinates window activates the window again but is no new
    // showing.
    bool activationPending_ = false;
};

}  // namespace ql::ui

#pragma once
// The district overview window, a workspace where the map leads: the
// coverage map with its legend band on the left, always at least half the
// window; on the right the counts, the threshold and tabs for the table of
// the 36 districts ("Kreise"), the proof list with a preview ("Nachweis"),
// the planner ("Planen") and the progress chart ("Verlauf"). Not modal; it
// follows every scan while it is open. It opens at a size that fits the
// screen and keeps its last size and place.

#include <QStringList>
#include <QWidget>

#include <string>

#include "districts/district_overview.h"
#include "reports/proof_list.h"
#include "ui/overview/OverviewPicture.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTableView;

namespace ql { struct AppState; }

namespace ql::ui {

class CandidatePanel;
class DistrictMapView;
class MapLegendBand;
class OverviewTableModel;
class ProgressChart;
class ProofListBar;

class TfrmOverview : public QWidget {
    Q_OBJECT
public:
    // Where the threshold and the window's size and place are remembered between runs.
    static constexpr const char* ThresholdSetting = "Kreisuebersicht/Schwelle";
    static constexpr const char* GeometrySetting = "Kreisuebersicht/Fenster";

    explicit TfrmOverview(AppState& state, QWidget* parent = nullptr);
    ~TfrmOverview() override;

    // Builds the overview again from the state's last scan (a new query, the
    // cut-off box switched, polygons loaded).
    void ScanFinished();

    double threshold() const;
    void setThreshold(int metres);

    // The proof list as "Kopieren" copies it in that format.
    std::string ProofListText(ProofFormat format = ProofFormat::Text) const;
    void btnKopierenClick();
    // The format from the file type (.txt, .bbcode, .csv).
    void SaveProofList(const QString& path) const;
    void SaveImage(const QString& path) const;
    // The picture "Bild speichern..." writes, and its bytes.
    QImage ExportImage() const;
    QByteArray ExportPng() const;
    // The caption's lines: districts covered, query date, cut-off state.
    QStringList exportCaption() const;

    // The tabs beside the map, in their order.
    enum Tab { KreiseTab, NachweisTab, PlanenTab, VerlaufTab };
    void showTab(Tab tab);

    DistrictMapView* map() const { return map_; }
    CandidatePanel* planner() const { return planner_; }
    QTableView* table() const { return table_; }
    QLabel* statusLabel() const { return lblStatus_; }
    QLabel* messageLabel() const { return lblMeldung_; }
    ProofListBar* proofListBar() const { return proofBar_; }
    QPlainTextEdit* proofPreview() const { return preview_; }
    MapLegendBand* legendBand() const { return band_; }
    QTabWidget* tabs() const { return tabs_; }
    ProgressChart* chart() const { return chart_; }
    QSplitter* splitter() const { return splitter_; }
    QCheckBox* candidatesBox() const { return cboxKandidaten_; }
    const DistrictOverview& overview() const { return overview_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    QWidget* buildSide();
    void placeOnScreen();
    void fitTable();
    void keepMapLeading();
    void showStatus();
    void showLegend();
    void showPreview();
    void selectDistrict(int district);
    void openListing(int row);
    void thresholdChanged(int metres);
    std::string queryDate() const;
    OverviewPictureContent pictureContent() const;

    AppState& state_;
    DistrictOverview overview_;
    bool queryLoaded_ = false;
    bool placed_ = false;

    DistrictMapView* map_ = nullptr;
    MapLegendBand* band_ = nullptr;
    QSplitter* splitter_ = nullptr;  // the map, the side with the tabs
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    ProgressChart* chart_ = nullptr;
    QTableView* table_ = nullptr;
    OverviewTableModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblMeldung_ = nullptr;
    QSpinBox* spinSchwelle_ = nullptr;
    QPushButton* btnEinpassen_ = nullptr;
    QPushButton* btnBild_ = nullptr;
    ProofListBar* proofBar_ = nullptr;
    QPushButton* btnSchliessen_ = nullptr;
    QCheckBox* cboxKandidaten_ = nullptr;
    CandidatePanel* planner_ = nullptr;  // the missing districts' candidates, in their tab
};

}  // namespace ql::ui

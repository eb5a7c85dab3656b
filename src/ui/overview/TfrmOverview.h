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

#include <memory>
#include <string>
#include <vector>

#include "districts/district_overview.h"
#include "platform/task_beside.h"
#include "reports/proof_list.h"
#include "ui/overview/OverviewFigures.h"
#include "ui/overview/OverviewPicture.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTableView;
class QTimer;

namespace ql {
struct AppState;
}

namespace ql::ui {

class CandidatePanel;
class DistrictMapView;
class MapLegendBand;
class OverviewTableModel;
class ProgressChart;
class ProofListBar;
class StepBeside;

class TfrmOverview : public QWidget {
    Q_OBJECT
public:
    // Where the threshold and the window's size and place are remembered between runs.
    static constexpr const char* ThresholdSetting = "Kreisuebersicht/Schwelle";
    static constexpr const char* GeometrySetting = "Kreisuebersicht/Fenster";

    explicit TfrmOverview(AppState& state, QWidget* parent = nullptr);
    ~TfrmOverview() override;

    // Builds the overview again from the state's last scan (a new query, the
    // cut-off box switched, polygons loaded). A large scan's figures are made
    // beside the window; until they are shown the window keeps the previous
    // scan with its figures, and after half a second it shows the work with
    // "Abbrechen" (Escape too). A new scan replaces the work; closing the
    // window stops it.
    void ScanFinished();
    bool figuresRunning() const;
    // Stops the figures being made; the window keeps what it shows.
    void btnAbbrechenClick();
    // While the main window reads or scans a query, the state's rows and the
    // query's lines may be replaced: no figures are made from them beside the
    // window. Figures asked for meanwhile are made once the hold ends.
    void holdFigures(bool hold);

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
    // The rows the shown overview was made of: the state's, or those of the
    // scan before while the new figures are made.
    const std::vector<CacheRow>& shownRows() const { return *shown_->rows; }
    QWidget* progressRow() const { return progressRow_; }
    QPushButton* cancelButton() const { return btnAbbrechen_; }

signals:
    // The figures of a scan are shown (made at once or beside the window).
    void figuresShown();

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
    void showFigures(std::shared_ptr<const OverviewScan> scan, OverviewFigures figures);
    void stopFigures();
    void releaseBeside(std::shared_ptr<const OverviewScan> scan);
    std::string queryDate() const;
    OverviewPictureContent pictureContent() const;

    AppState& state_;
    std::shared_ptr<const OverviewScan> shown_;  // the scan the figures below were made of
    DistrictOverview overview_;
    std::vector<ProgressStep> timeline_;
    bool placed_ = false;
    StepBeside* step_ = nullptr;  // the figures of a large scan
    // Frees a scan no longer shown beside the window: its rows are a block
    // for each of many texts, freed one by one.
    std::unique_ptr<TaskBeside> release_;
    bool held_ = false;
    bool pending_ = false;  // figures asked for while held
    QTimer* progressTimer_ = nullptr;
    QWidget* progressRow_ = nullptr;
    QProgressBar* pbRechnen_ = nullptr;
    QPushButton* btnAbbrechen_ = nullptr;

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

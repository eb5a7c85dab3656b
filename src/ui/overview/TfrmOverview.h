#pragma once
// The district overview window: a coverage map with its legend, a table of
// the 36 districts with their best finds and border distances, and the proof
// list. Not modal; it follows every scan while it is open. It opens at a size
// that fits the screen and keeps its last size and place.

#include <QStringList>
#include <QWidget>

#include <string>

#include "districts/district_overview.h"
#include "reports/proof_list.h"

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QSplitter;
class QTableView;

namespace ql { struct AppState; }

namespace ql::ui {

class CandidatePanel;
class DistrictMapView;
class MapLegend;
class OverviewTableModel;
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
    // The map as the PNG export writes it: with legend, source line, query
    // date and cut-off state, without the selection outline.
    QImage ExportImage() const;
    // The caption's lines: districts covered, query date, cut-off state.
    QStringList exportCaption() const;

    DistrictMapView* map() const { return map_; }
    CandidatePanel* planner() const { return planner_; }
    QTableView* table() const { return table_; }
    QLabel* statusLabel() const { return lblStatus_; }
    QLabel* messageLabel() const { return lblMeldung_; }
    ProofListBar* proofListBar() const { return proofBar_; }
    const DistrictOverview& overview() const { return overview_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void placeOnScreen();
    void fitTable();
    void showStatus();
    void selectDistrict(int district);
    void openListing(int row);
    void thresholdChanged(int metres);
    std::string queryDate() const;

    AppState& state_;
    DistrictOverview overview_;
    bool queryLoaded_ = false;
    bool placed_ = false;

    DistrictMapView* map_ = nullptr;
    MapLegend* legend_ = nullptr;
    QSplitter* splitter_ = nullptr;
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
    CandidatePanel* planner_ = nullptr;  // the missing districts' candidates, under the map
};

}  // namespace ql::ui

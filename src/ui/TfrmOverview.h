#pragma once
// The district overview window: a coverage map, a table of the 36 districts
// with their best finds and border distances, and the proof list. Not modal;
// it follows every scan while it is open.

#include <QWidget>

#include <string>

#include "districts/district_overview.h"

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace ql { struct AppState; }

namespace ql::ui {

class CandidatePanel;
class DistrictMapView;
class OverviewTableModel;

class TfrmOverview : public QWidget {
    Q_OBJECT
public:
    // Where the threshold is remembered between runs.
    static constexpr const char* ThresholdSetting = "Kreisuebersicht/Schwelle";

    explicit TfrmOverview(AppState& state, QWidget* parent = nullptr);
    ~TfrmOverview() override;

    // Builds the overview again from the state's last scan (a new query, the
    // cut-off box switched, polygons loaded).
    void ScanFinished();

    double threshold() const;
    void setThreshold(int metres);

    // The proof list as "Nachweisliste kopieren" copies it.
    std::string ProofListText() const;
    void btnKopierenClick();
    void SaveProofList(const QString& path) const;
    void SaveImage(const QString& path) const;

    DistrictMapView* map() const { return map_; }
    CandidatePanel* planner() const { return planner_; }
    QTableView* table() const { return table_; }
    QLabel* statusLabel() const { return lblStatus_; }
    const DistrictOverview& overview() const { return overview_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void showStatus();
    void selectDistrict(int district);
    void openListing(int row);
    void thresholdChanged(int metres);

    AppState& state_;
    DistrictOverview overview_;
    bool queryLoaded_ = false;

    DistrictMapView* map_ = nullptr;
    QTableView* table_ = nullptr;
    OverviewTableModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QSpinBox* spinSchwelle_ = nullptr;
    QPushButton* btnEinpassen_ = nullptr;
    QPushButton* btnBild_ = nullptr;
    QPushButton* btnKopieren_ = nullptr;
    QPushButton* btnSpeichern_ = nullptr;
    QPushButton* btnSchliessen_ = nullptr;
    CandidatePanel* planner_ = nullptr;  // the missing districts' candidates, under the map
};

}  // namespace ql::ui

#pragma once
// The planner in the district overview: candidate lists loaded from pocket
// queries (GPX or ZIP), the districts still wanted with their candidate
// counts, the ranked candidates of the chosen district, the home point and
// filters, the export as GPX or as a list, the candidates on the map and the
// progress chart.

#include <QImage>
#include <QWidget>

#include <array>
#include <string>
#include <vector>

#include "districts/district_overview.h"
#include "planner/candidate_set.h"
#include "planner/plan.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QTableWidget;

namespace ql {
struct AppState;
}

namespace ql::ui {

class CandidateMapLayer;
class CandidateTableModel;
class DistrictMapView;
class ProgressChart;

class CandidatePanel : public QWidget {
    Q_OBJECT
public:
    // Where the home point is remembered between runs.
    static constexpr const char* HomeSetting = "Planer/Heimatpunkt";

    CandidatePanel(AppState& state, DistrictMapView* map, QWidget* parent = nullptr);
    ~CandidatePanel() override;

    // The splitter whose second part the panel is: it opens there when a list
    // is loaded or its button is pressed, and starts closed.
    void attachTo(QSplitter* splitter);
    QPushButton* toggleButton() const { return btnPlaner_; }
    void setOpen(bool open);
    bool isOpen() const;

    // The overview was built again (a scan, the threshold).
    void ScanFinished(const DistrictOverview& overview, double thresholdMetres);
    void setThreshold(double metres);
    // Shows the candidates of a district (-1: none chosen).
    void setDistrict(int district);
    int district() const { return district_; }

    // "Suchliste laden...": the open dialog, then LoadFiles.
    void btnLadenClick();
    // Adds the caches of the files; the files that cannot be read are named in
    // one error afterwards, the others stay loaded.
    void LoadFiles(const QStringList& paths);
    void btnLeerenClick();

    // The home point from its text (remembered); an empty text clears it.
    void setHomeText(const QString& text);

    // "Als GPX exportieren...": the choice, then the file.
    void btnExportClick();
    // Writes the selected candidates, or the best `perDistrict` of every wanted district.
    void ExportGpx(const QString& path, bool selectedOnly, int perDistrict);
    // "Als Liste kopieren".
    void btnListeClick();
    std::string TripList() const;

    // The map's picture with the candidates on it and the progress chart in
    // its lower right corner, for "Bild speichern...".
    QImage WithPlan(QImage mapImage) const;

    const CandidateSet& candidates() const { return set_; }
    const CandidatePlan& plan() const { return plan_; }
    QTableView* table() const { return tblKandidaten_; }
    QTableWidget* districtTable() const { return tblKreise_; }
    CandidateMapLayer* mapLayer() const { return layer_; }
    ProgressChart* chart() const { return chart_; }
    QLabel* statusLabel() const { return lblSuchlisten_; }
    QLineEdit* homeEdit() const { return edtHeimat_; }
    QCheckBox* availableBox() const { return cboxVerfuegbar_; }
    QDoubleSpinBox* difficultyBox() const { return spinMaxD_; }
    QDoubleSpinBox* terrainBox() const { return spinMaxT_; }

signals:
    // A district chosen in the panel's own list.
    void districtChosen(int district);

private:
    void buildControls();
    void candidatesChanged();  // the lists changed: places anew, then rank
    void rank();
    void showDistricts();
    void showDistrict();
    void openListing(std::size_t cache);

    AppState& state_;
    DistrictMapView* map_;
    CandidateSet set_;
    CandidateLoad lastLoad_;
    std::vector<CandidatePlace> places_;
    std::array<Coverage, DistrictCount> coverage_{};
    PlanFilter filter_;
    CandidatePlan plan_;
    int district_ = -1;

    QLabel* lblSuchlisten_ = nullptr;
    QPushButton* btnLaden_ = nullptr;
    QPushButton* btnLeeren_ = nullptr;
    QLineEdit* edtHeimat_ = nullptr;
    QCheckBox* cboxVerfuegbar_ = nullptr;
    QDoubleSpinBox* spinMaxD_ = nullptr;
    QDoubleSpinBox* spinMaxT_ = nullptr;
    QTableWidget* tblKreise_ = nullptr;
    QLabel* lblKreis_ = nullptr;
    QTableView* tblKandidaten_ = nullptr;
    CandidateTableModel* model_ = nullptr;
    QPushButton* btnExport_ = nullptr;
    QPushButton* btnListe_ = nullptr;
    ProgressChart* chart_ = nullptr;
    CandidateMapLayer* layer_ = nullptr;
    QPushButton* btnPlaner_ = nullptr;
    QSplitter* splitter_ = nullptr;
};

}  // namespace ql::ui

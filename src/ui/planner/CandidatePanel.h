#pragma once
// The planner in the district overview: candidate lists loaded from pocket
// queries (GPX or ZIP), the districts still wanted with their candidate
// counts, the ranked candidates of the chosen district, the home point and
// filters, the export as GPX or as a list, the candidates on the map and the
// progress chart.

#include <QImage>
#include <QWidget>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/cancel.h"
#include "districts/district_overview.h"
#include "planner/found_codes.h"
#include "planner/planner_session.h"
#include "planner/progress.h"

class QCheckBox;
class QDoubleSpinBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
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

    // The overview was built again (a scan, the cut-off box, boundaries
    // loaded), with the query's found codes and the timeline made beside it.
    void ScanFinished(const DistrictOverview& overview, CodeSet found, const std::vector<ProgressStep>& timeline,
                      double thresholdMetres);
    void setThreshold(double metres);
    // The boundaries as the state has them now (loaded, failed, loaded anew).
    void boundariesChanged();
    // Shows the candidates of a district (-1: none chosen).
    void setDistrict(int district);
    int district() const { return district_; }

    // "Suchliste laden...": the open dialog, then LoadFiles.
    void btnLadenClick();
    // Reads the files beside the window, then adds their caches; the files
    // that cannot be read are named in one error afterwards, the others are
    // added. Files asked for while a read runs are read after it. A read that
    // takes longer than half a second shows its progress and "Abbrechen"
    // (Escape too); cancelled, the lists stay as they were.
    void LoadFiles(const QStringList& paths);
    bool isLoading() const { return reader_.joinable(); }
    void cancelLoading();
    void btnLeerenClick();

    // The home point from its text (remembered); an empty text clears it.
    void setHomeText(const QString& text);

    // "Als GPX exportieren...": the choice, then the file.
    void btnExportClick();
    // Writes the selected candidates, or the best `perDistrict` of every wanted district.
    void ExportGpx(const QString& path, bool selectedOnly, int perDistrict);
    // "Als Liste kopieren".
    void btnListeClick();
    // What the panel last told in the overview's status line.
    QString lastMessage() const { return lastMessage_; }
    std::string TripList() const;

    const PlannerSession& session() const { return session_; }
    const CandidateSet& candidates() const { return session_.Lists(); }
    const CandidatePlan& plan() const { return session_.Plan(); }
    QTableView* table() const { return tblKandidaten_; }
    QTableWidget* districtTable() const { return tblKreise_; }
    CandidateMapLayer* mapLayer() const { return layer_; }
    ProgressChart* chart() const { return chart_; }
    QLabel* statusLabel() const { return lblSuchlisten_; }
    QLineEdit* homeEdit() const { return edtHeimat_; }
    QCheckBox* availableBox() const { return cboxVerfuegbar_; }
    QDoubleSpinBox* difficultyBox() const { return spinMaxD_; }
    QDoubleSpinBox* terrainBox() const { return spinMaxT_; }
    QWidget* progressRow() const { return progressRow_; }
    QPushButton* cancelButton() const { return btnAbbrechen_; }

signals:
    // A district chosen in the panel's own list.
    void districtChosen(int district);
    // A confirmation for the overview's status line.
    void message(const QString& text);
    // A read of lists has ended (added, failed or cancelled).
    void loadFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void startReading();
    // The lists read beside the window and what their reading counted.
    using ListsRead = std::pair<CandidateSet, CandidateLoad>;
    void readingDone(std::shared_ptr<ListsRead> read, bool cancelled, QString failure);
    void tell(const QString& text);
    void refresh();  // the session changed: every view reads it again
    void showListsText();
    void showDistricts();
    void showDistrict();
    void openListing(const std::string& code);

    AppState& state_;
    DistrictMapView* map_;
    PlannerSession session_;
    CandidateLoad lastLoad_;
    int district_ = -1;
    QString lastMessage_;

    // The read beside the window: the files being read, those asked for meanwhile.
    std::thread reader_;
    SharedCancel readCancel_;
    std::vector<std::string> reading_, waiting_;

    QLabel* lblSuchlisten_ = nullptr;
    QPushButton* btnLaden_ = nullptr;
    QWidget* progressRow_ = nullptr;
    QLabel* lblLesen_ = nullptr;
    QProgressBar* pbLesen_ = nullptr;
    QPushButton* btnAbbrechen_ = nullptr;
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

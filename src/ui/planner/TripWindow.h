#pragma once
// "Tour planen": the shortest trip from home through one candidate in each
// district still wanted, on a map of its own as a numbered line, as a list
// (order, district, code, name, D/T, leg and cumulative distance) with the
// total and whether it is the shortest or the best found; exported as GPX,
// copied as a list, printed on one page. The window keeps its own copy of the
// candidates it was opened with; the tour is computed beside the window.

#include <QImage>
#include <QWidget>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/cancel.h"
#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "planner/candidate.h"
#include "planner/plan.h"
#include "planner/trip_plan.h"

class QAction;
class QCheckBox;
class QLabel;
class QPainter;
class QPushButton;
class QTableWidget;

namespace ql::ui {

class DistrictMapView;
class TripMapLayer;

class TripWindow : public QWidget {
    Q_OBJECT
public:
    enum Column { OrderColumn, DistrictColumn, CodeColumn, NameColumn, RatingColumn, LegColumn, TotalColumn };

    // Shown where the planner has no home point.
    static constexpr const char* NoHomeText = "Bitte zuerst einen Heimatpunkt angeben.";

    // The districts stay owned by the caller and must outlive the window; the
    // map's figures are made from the rows, the candidates of the wanted
    // districts are copied. The filter gives the home point and the threshold.
    TripWindow(const DistrictMap& districts, const std::vector<CacheRow>& rows, const std::vector<Candidate>& caches,
               const CandidatePlan& plan, const PlanFilter& filter, QWidget* parent = nullptr);
    ~TripWindow() override;

    // Computes the tour anew beside the window (a computation still at work
    // is stopped); tripShown() follows when it is shown.
    void solve();
    bool isSolving() const { return solving_; }
    const std::optional<TripPlan>& trip() const { return trip_; }
    // The candidates the tour's stops index.
    const std::vector<Candidate>& caches() const { return caches_; }

    void ExportGpx(const QString& path) const;
    std::string ListText() const;
    // The printed page: title, start and total, the map with the tour, the list.
    void paintPage(QPainter& painter, const QRect& page) const;
    // The map with the tour drawn on it, at the map's size.
    QImage mapImage() const;

    QTableWidget* stopTable() const { return tblTour_; }
    QLabel* totalLabel() const { return lblGesamt_; }
    QLabel* messageLabel() const { return lblHinweis_; }
    QCheckBox* returnBox() const { return cboxZurueck_; }
    QPushButton* cancelButton() const { return btnAbbrechen_; }
    QAction* excludeAction() const { return actAuslassen_; }
    QAction* pinAction() const { return actFesthalten_; }
    QAction* includeAllAction() const { return actAlleAufnehmen_; }
    DistrictMapView* map() const { return map_; }
    TripMapLayer* layer() const { return layer_; }

    void btnGpxClick();
    void btnListeClick();
    void btnDruckenClick();
    // Stops the computation at work; the list stays empty until the next one.
    void btnAbbrechenClick();
    // On the chosen row of the list: its district left out, its cache kept
    // whatever else changes; and everything left out taken in again.
    void actAuslassenClick();
    void actFesthaltenClick();
    void actAlleAufnehmenClick();

signals:
    void tripShown();

private:
    void buildControls();
    void stopSolving();
    void finished(unsigned generation, std::optional<TripPlan> trip, const std::string& error);
    void showTrip();
    QStringList rowTexts(std::size_t stop) const;

    std::vector<Candidate> caches_;  // those of the wanted districts
    CandidatePlan plan_;  // indexes into caches_
    DistrictOverview overview_;  // the map's colours, counts and finds
    std::optional<TFPoint> home_;
    std::optional<TripPlan> trip_;
    TripRequest shownRequest_;
    std::vector<std::string> pins_;
    std::vector<int> excluded_;

    SharedCancel cancel_;
    std::thread worker_;
    unsigned generation_ = 0;
    bool solving_ = false;

    QCheckBox* cboxZurueck_ = nullptr;
    QCheckBox* cboxRandnah_ = nullptr;
    QLabel* lblStart_ = nullptr;
    QLabel* lblGesamt_ = nullptr;
    QLabel* lblHinweis_ = nullptr;
    DistrictMapView* map_ = nullptr;
    TripMapLayer* layer_ = nullptr;
    QTableWidget* tblTour_ = nullptr;
    QPushButton* btnGpx_ = nullptr;
    QPushButton* btnListe_ = nullptr;
    QPushButton* btnDrucken_ = nullptr;
    QPushButton* btnSchliessen_ = nullptr;
    QPushButton* btnAbbrechen_ = nullptr;
    QAction* actAuslassen_ = nullptr;
    QAction* actFesthalten_ = nullptr;
    QAction* actAlleAufnehmen_ = nullptr;
};

// Opens "Tour planen" for the planner's lists and ranking as they are now.
TripWindow* OpenTripWindow(QWidget* parent, const DistrictMap& districts, const std::vector<CacheRow>& rows,
                           const std::vector<Candidate>& caches, const CandidatePlan& plan, const PlanFilter& filter);

}  // namespace ql::ui

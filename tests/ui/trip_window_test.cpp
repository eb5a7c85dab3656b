// "Tour planen": the tour listed with its total, the numbered line on the
// map, the list copied, the GPX written, the page printed; without a home
// point a clear message instead.

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/tables.h"
#include "districts/polygon_files.h"
#include "geo/point_in_polygon.h"
#include "planner/candidate_reader.h"
#include "planner/home_point.h"
#include "planner/trip_list.h"
#include "planner/trip_plan.h"
#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/planner/TripMapLayer.h"
#include "ui/planner/TripWindow.h"

namespace ql::test {
namespace {

constexpr int Ahrweiler = 0, BernkastelWittlich = 5, CochemZell = 7, Vulkaneifel = 22, Trier = 33;
constexpr TFPoint Home{49.9990, 8.2739};

struct TripCase {
    DistrictMap districts;
    std::vector<CacheRow> rows;  // a find in each district not wanted
    std::vector<Candidate> caches;
    CandidatePlan plan;

    TripCase()
    {
        for (int d = 0; d < DistrictCount; ++d)
            districts.SetPolygon(d,
                                 LoadPolygonFile(std::string(QL_DATA_DIR) + "/rlp_polygons/" +
                                                 std::string(DistrictFileNames[static_cast<std::size_t>(d)]) + ".txt"));
        add(Ahrweiler, "GC1AW", "Ahrblick", {50.45, 7.00});
        add(CochemZell, "GC2CO", "Reichsburg", {50.15, 7.17});
        add(CochemZell, "GC2ZE", "Zeller Schwarze Katz", {50.02, 7.18});
        add(Vulkaneifel, "GC3VE", "Maar", {50.18, 6.83});
        add(BernkastelWittlich, "GC4BW", "Doctor", {49.92, 7.07});
        plan[Trier].wanted = true;  // wanted, but no candidate
        plan[Trier].coverage = Coverage::Uncovered;
        // A find in the middle of every other district.
        for (int d = 0; d < DistrictCount; ++d)
            if (!plan[static_cast<std::size_t>(d)].wanted) {
                CacheRow row;
                row.GCCode = "GCF" + std::to_string(d);
                row.Point = Inside(districts[d]);
                row.DistrictIndex = d;
                rows.push_back(row);
            }
    }
    // The point of a grid over the polygon's box nearest its middle that the polygon holds.
    static TFPoint Inside(const TPolyArray& polygon)
    {
        double minX = 90, maxX = -90, minY = 180, maxY = -180;
        for (const TFPoint& v : polygon) {
            minX = std::min(minX, v.X), maxX = std::max(maxX, v.X);
            minY = std::min(minY, v.Y), maxY = std::max(maxY, v.Y);
        }
        const TFPoint mid{(minX + maxX) / 2, (minY + maxY) / 2};
        TFPoint best = mid;
        double bestGap = 1e9;
        for (int i = 1; i < 20; ++i)
            for (int j = 1; j < 20; ++j) {
                const TFPoint p{minX + (maxX - minX) * i / 20, minY + (maxY - minY) * j / 20};
                const double gap = std::hypot(p.X - mid.X, p.Y - mid.Y);
                if (gap < bestGap && PointInPolygon(p, polygon)) best = p, bestGap = gap;
            }
        return best;
    }
    void add(int district, const char* code, const char* name, TFPoint p)
    {
        Candidate c;
        c.Code = code;
        c.Name = name;
        c.Type = "Traditional Cache";
        c.Difficulty = 2;
        c.Terrain = 1.5;
        c.Point = p;
        DistrictCandidates& dc = plan[static_cast<std::size_t>(district)];
        dc.wanted = true;
        dc.coverage = Coverage::Uncovered;
        dc.ranked.push_back({caches.size(), 800.0, GreatCircleMetres(Home, p), false});
        caches.push_back(c);
    }
};

// A window whose first computation is done.
std::unique_ptr<ui::TripWindow> Shown(const TripCase& c, std::optional<TFPoint> home)
{
    PlanFilter filter;
    filter.home = home;
    auto window = std::make_unique<ui::TripWindow>(c.districts, c.rows, c.caches, c.plan, filter);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy shown(window.get(), &ui::TripWindow::tripShown);
    window->show();
    if (window->isSolving()) {
        EXPECT_TRUE(shown.wait(10000));
    }
    return window;
}

QStringList Column(QTableWidget* table, int column)
{
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r)
        out << (table->item(r, column) ? table->item(r, column)->text() : QString());
    return out;
}

TEST(TripWindow, ListsTheStopsInOrderWithTotalAndDrawsTheNumberedLine)
{
    const TripCase c;
    auto window = Shown(c, Home);
    ASSERT_TRUE(window->trip().has_value());
    const TripPlan trip = *window->trip();
    ASSERT_EQ(trip.Stops.size(), 4u);  // Trier has no candidate
    QTableWidget* table = window->stopTable();
    // Four stops and the way home.
    EXPECT_EQ(Column(table, ui::TripWindow::OrderColumn), (QStringList{"1", "2", "3", "4", ""}));
    QStringList codes;
    for (const TripStop& s : trip.Stops) codes << QString::fromStdString(window->caches()[s.Cache].Code);
    EXPECT_EQ(Column(table, ui::TripWindow::CodeColumn).mid(0, 4), codes);
    EXPECT_EQ(table->item(0, ui::TripWindow::RatingColumn)->text(), "D2/T1.5");
    EXPECT_EQ(table->item(4, ui::TripWindow::DistrictColumn)->text(), "zurück nach Hause");
    EXPECT_EQ(table->item(4, ui::TripWindow::TotalColumn)->text(),
              QString::fromStdString(KilometresText(trip.LengthMetres)));
    EXPECT_EQ(window->totalLabel()->text(),
              QString::fromStdString("Gesamt: " + KilometresText(trip.LengthMetres) + " (kürzeste Tour)"));
    EXPECT_EQ(window->messageLabel()->text(), "Ohne Kandidat, nicht in der Tour: Trier");

    // The first stop's circle lies where the map puts its cache.
    const QPoint first = window->map()->positionOf(window->caches()[trip.Stops[0].Cache].Point).toPoint();
    EXPECT_EQ(window->layer()->stopAt(first), 0);
    const QImage shot = SaveScreenshot(window.get(), "trip_window");
    EXPECT_TRUE(HasColour(shot, AreaOf(shot, window.get(), window->map()), ui::TripMapLayer::LineColour, 10));

    window->btnListeClick();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith(QString::fromStdString("Tour ab " + HomePointText(Home) + "\n1. ")))
        << copied.toStdString();
    EXPECT_TRUE(copied.contains("Trier: kein Kandidat, nicht in der Tour\n"));

    // One way only: no way home, a shorter trip.
    QSignalSpy shown(window.get(), &ui::TripWindow::tripShown);
    window->returnBox()->setChecked(false);
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(window->stopTable()->rowCount(), 4);
    EXPECT_LT(window->trip()->LengthMetres, trip.LengthMetres);
}

// Runs an action of the list on a row and waits for the tour computed anew.
void OnRow(ui::TripWindow* window, QAction* action, int row)
{
    QSignalSpy shown(window, &ui::TripWindow::tripShown);
    window->stopTable()->setCurrentCell(row, 0);
    action->trigger();
    ASSERT_TRUE(shown.wait(10000));
}

int RowOf(ui::TripWindow* window, const QString& district)
{
    return static_cast<int>(Column(window->stopTable(), ui::TripWindow::DistrictColumn).indexOf(district));
}

TEST(TripWindow, DistrictsLeftOutAndCachesKeptFromTheList)
{
    const TripCase c;
    auto window = Shown(c, Home);
    OnRow(window.get(), window->excludeAction(), RowOf(window.get(), "Ahrweiler"));
    EXPECT_EQ(window->trip()->Stops.size(), 3u);
    EXPECT_EQ(RowOf(window.get(), "Ahrweiler"), -1);
    EXPECT_EQ(window->messageLabel()->text(), "Ohne Kandidat, nicht in der Tour: Trier\nAusgelassen: Ahrweiler");

    // Cochem-Zell's cache kept: it stays when the trip no longer returns home.
    const int row = RowOf(window.get(), "Cochem-Zell");
    const QString kept = window->stopTable()->item(row, ui::TripWindow::CodeColumn)->text();
    OnRow(window.get(), window->pinAction(), row);
    EXPECT_EQ(window->stopTable()->item(RowOf(window.get(), "Cochem-Zell"), ui::TripWindow::CodeColumn)->text(),
              kept + " (fest)");

    QSignalSpy shown(window.get(), &ui::TripWindow::tripShown);
    window->includeAllAction()->trigger();
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(window->trip()->Stops.size(), 4u);
    EXPECT_EQ(window->stopTable()->item(RowOf(window.get(), "Cochem-Zell"), ui::TripWindow::CodeColumn)->text(),
              kept + " (fest)");
}

TEST(TripWindow, CancelStopsTheComputationAndShowsNoStaleResult)
{
    const TripCase c;
    auto window = Shown(c, Home);
    window->solve();
    ASSERT_TRUE(window->isSolving());
    EXPECT_FALSE(window->cancelButton()->isHidden());
    window->cancelButton()->click();
    QApplication::processEvents();  // a result posted before the click must not show
    EXPECT_FALSE(window->isSolving());
    EXPECT_TRUE(window->cancelButton()->isHidden());
    EXPECT_FALSE(window->trip().has_value());
    EXPECT_EQ(window->stopTable()->rowCount(), 0);
    EXPECT_EQ(window->messageLabel()->text(), "Die Berechnung wurde abgebrochen.");
}

TEST(TripWindow, ExportsTheRouteThatReadsBackInOrder)
{
    const TripCase c;
    auto window = Shown(c, Home);
    QTemporaryDir dir;
    const QString path = dir.filePath("tour.gpx");
    window->ExportGpx(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<Candidate> back = ReadCandidateGpx(file.readAll().toStdString(), "tour.gpx");
    ASSERT_EQ(back.size(), window->trip()->Stops.size());
    for (std::size_t i = 0; i < back.size(); ++i)
        EXPECT_EQ(back[i].Code, window->caches()[window->trip()->Stops[i].Cache].Code);
}

TEST(TripWindow, WithoutAHomePointSaysSoAndOffersNothing)
{
    const TripCase c;
    auto window = Shown(c, std::nullopt);
    EXPECT_FALSE(window->trip().has_value());
    EXPECT_EQ(window->messageLabel()->text(), "Bitte zuerst einen Heimatpunkt angeben.");
    EXPECT_EQ(window->stopTable()->rowCount(), 0);
    EXPECT_TRUE(window->ListText().empty());
}

#ifdef QL_PRINT
TEST(TripWindow, PrintPreviewShowsThePage)
{
    const TripCase c;
    auto window = Shown(c, Home);
    bool previewed = false;
    {
        ModalAnswerer answerer([&](QWidget* modal) {
            if (modal->objectName() != "TripPrintPreview") return false;
            modal->resize(900, 1000);
            QApplication::processEvents();
            SaveScreenshot(modal, "trip_print_preview");
            previewed = true;
            return false;
        });
        window->btnDruckenClick();
    }
    EXPECT_TRUE(previewed);
    // The page itself: the title, the map and the list drawn on it.
    QImage page(800, 1130, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    window->paintPage(painter, page.rect().adjusted(40, 40, -40, -40));
    painter.end();
    page.save(QDir(QString::fromUtf8(QL_RUNTIME_DIR "/../screenshots")).filePath("trip_page.png"));
    EXPECT_TRUE(HasColour(page, page.rect(), ui::TripMapLayer::LineColour, 10));
}
#endif

// The planner's button, on the lists loaded in the overview.
class TripFromPanelTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fx.tempDir.filePath("settings"));
        QSettings().remove(QString::fromLatin1(ui::CandidatePanel::HomeSetting));
        MainWindowFixture::SetUp();
        for (int i = 0; i < DistrictCount; ++i)
            fx.state.PolyTable.SetPolygon(
                i, LoadPolygonFile(fx.state.ProgramDir + "rlp_polygons/" +
                                   std::string(DistrictFileNames[static_cast<std::size_t>(i)]) + ".txt"));
        testquery::Cache kusel;
        kusel.code = "GC1KUS";
        kusel.name = "Burgblick";
        kusel.lat = "49.538";
        kusel.lon = "7.398";
        kusel.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
        OpenAndWait(main, WriteFile(fx.programDir.filePath("finds.gpx"),
                                    testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel})));
        child<QAction>("mnuUebersicht")->trigger();
        panel = fx.windows->frmOverview->planner();
        // Two caches in Ahrweiler, in a list of another program.
        list = WriteFile(fx.tempDir.filePath("ahrweiler.gpx"),
                         "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n"
                         "<wpt lat=\"50.3356\" lon=\"6.9475\"><name>GC7NEAR</name><type>Geocache</type></wpt>\n"
                         "<wpt lat=\"50.45\" lon=\"7.25\"><name>GC7FAR</name><type>Geocache</type></wpt>\n"
                         "</gpx>\n");
    }
    ui::TripWindow* openTour()
    {
        panel->findChild<QPushButton*>("btnTourPlanen")->click();
        const QList<ui::TripWindow*> windows = panel->findChildren<ui::TripWindow*>();
        if (windows.isEmpty()) return nullptr;
        ui::TripWindow* window = windows.last();
        QSignalSpy shown(window, &ui::TripWindow::tripShown);
        if (window->isSolving()) {
            EXPECT_TRUE(shown.wait(10000));
        }
        return window;
    }

    ui::CandidatePanel* panel = nullptr;
    QString list;
};

TEST_F(TripFromPanelTest, TheButtonOpensTheTourForThePanelsListsAndHomePoint)
{
    QSignalSpy loaded(panel, &ui::CandidatePanel::loadFinished);
    panel->LoadFiles({list});  // read beside the window
    ASSERT_TRUE(loaded.wait(120000));
    ui::TripWindow* window = openTour();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->messageLabel()->text(), "Bitte zuerst einen Heimatpunkt angeben.");
    window->close();

    panel->setHomeText(QStringLiteral("N 50° 27.000 E 007° 15.000"));
    window = openTour();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->trip().has_value());
    // Ahrweiler's cache nearest home; every other missing district is named.
    ASSERT_EQ(window->trip()->Stops.size(), 1u);
    EXPECT_EQ(window->stopTable()->item(0, ui::TripWindow::CodeColumn)->text(), "GC7FAR");
    EXPECT_EQ(window->trip()->WithoutCandidate.size(), static_cast<std::size_t>(DistrictCount - 2));
}

}  // namespace
}  // namespace ql::test

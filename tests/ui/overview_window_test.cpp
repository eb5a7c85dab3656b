// The district overview window: opened from the main window, following its
// scans, map colours and hits, tooltips, table, proof list, listing links.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "districts/polygon_files.h"
#include "core/tables.h"
#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "ui/DistrictMapView.h"
#include "ui/OverviewTableModel.h"
#include "ui/TfrmOverview.h"
#include "ui/Windows.h"

namespace ql::test {
namespace {

constexpr int Ahrweiler = 0, Kusel = 12, Trier = 33, Mainz = 28;
const TFPoint KuselFind{49.538, 7.398};
const TFPoint AhrweilerInside{50.3356, 6.9475};

std::string ReadBytes(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SmallQuery()
{
    testquery::Cache kusel;
    kusel.code = "GC1KUS";
    kusel.name = "Fish &amp; Chips";
    kusel.lat = "49.538";
    kusel.lon = "7.398";
    kusel.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
    testquery::Cache trier = kusel;  // found before the cut-off date
    trier.code = "GC2TRI";
    trier.name = "Porta Nigra";
    trier.lat = "49.7557";
    trier.lon = "6.6394";
    trier.logs = {{"Found it", "2010-03-04T07:00:00Z"}};
    testquery::Cache mainz = kusel;
    mainz.code = "GC3MZ";
    mainz.name = "Dom &lt;Mainz&gt;";
    mainz.lat = "49.9990";
    mainz.lon = "8.2739";
    mainz.logs = {{"Found it", "2016-07-08T07:00:00Z"}};
    testquery::Cache outside = kusel;  // in Luxembourg
    outside.code = "GC4LUX";
    outside.name = "Draussen";
    outside.lat = "49.61";
    outside.lon = "6.13";
    return testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel, trier, mainz, outside});
}

class OverviewWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fx.tempDir.filePath("settings"));
        QSettings().remove(QString::fromLatin1(ui::TfrmOverview::ThresholdSetting));
        MainWindowFixture::SetUp();
        for (int i = 0; i < DistrictCount; ++i)
            fx.state.PolyTable.SetPolygon(i, LoadPolygonFile(fx.state.ProgramDir + "rlp_polygons/" +
                                                             std::string(DistrictFileNames[static_cast<std::size_t>(i)]) + ".txt"));
    }
    ui::TfrmOverview* open()
    {
        child<QAction>("mnuUebersicht")->trigger();
        ui::TfrmOverview* w = fx.windows->frmOverview.get();
        QApplication::processEvents();
        return w;
    }
    void openSmallQuery()
    {
        main->FileOpen1Accept(WriteFile(fx.programDir.filePath("finds.gpx"), SmallQuery()));
    }
    QColor colourAt(ui::TfrmOverview* w, TFPoint p, QPoint nudge = {6, 6})
    {
        ui::DistrictMapView* map = w->map();
        const QImage image = map->renderImage(map->size());
        return image.pixelColor(map->positionOf(p).toPoint() + nudge);
    }
    QString cell(ui::TfrmOverview* w, int district, int column)
    {
        auto* proxy = static_cast<QSortFilterProxyModel*>(w->table()->model());
        const QModelIndex source = proxy->sourceModel()->index(district, column);
        return source.data().toString();
    }
};

TEST_F(OverviewWindowTest, BeforeAnyScanEveryDistrictIsUncoveredAndNoQueryIsLoaded)
{
    EXPECT_EQ(child<QAction>("mnuUebersicht")->text(), "Kreisübersicht...");
    EXPECT_EQ(child<QAction>("mnuUebersicht")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    ui::TfrmOverview* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), "Kreisübersicht");
    EXPECT_EQ(w->statusLabel()->text(), "Keine Query geladen: alle Kreise ohne Fund.");
    EXPECT_EQ(colourAt(w, KuselFind), ui::DistrictMapView::UncoveredFill);
    EXPECT_EQ(colourAt(w, AhrweilerInside), ui::DistrictMapView::UncoveredFill);
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::FindsColumn), "0");
    EXPECT_TRUE(main->isVisible());  // not modal: the main window goes on
}

TEST_F(OverviewWindowTest, FollowsTheScansOfTheMainWindow)
{
    ui::TfrmOverview* w = open();
    openSmallQuery();
    QApplication::processEvents();
    EXPECT_EQ(w->statusLabel()->text(),
              "2 von 36 Kreisen belegt, davon 0 nur randnah. 3 Funde, 1 nicht im Polygon. Funde ab 2011-05-24.");
    ui::DistrictMapView* map = w->map();
    // Map colours at interior points, the district under a position.
    EXPECT_EQ(colourAt(w, KuselFind), ui::DistrictMapView::CoveredFill);
    EXPECT_EQ(colourAt(w, AhrweilerInside), ui::DistrictMapView::UncoveredFill);
    EXPECT_EQ(map->districtAt(map->positionOf(KuselFind).toPoint()), Kusel);
    EXPECT_EQ(map->districtAt(map->positionOf(AhrweilerInside).toPoint()), Ahrweiler);
    EXPECT_EQ(map->districtAt(QPoint(1, 1)), -1);
    // The find's dot, in the counted finds' colour.
    EXPECT_EQ(colourAt(w, KuselFind, {0, 0}), ui::DistrictMapView::CountedDot);

    // Tooltips: a find, a district with and without finds, a find in no district.
    EXPECT_TRUE(QRegularExpression("^GC1KUS Fish & Chips\nGefunden am 2015-06-01\nKusel, \\d+,\\d m vom Rand$")
                    .match(map->toolTipAt(map->positionOf(KuselFind).toPoint()))
                    .hasMatch())
        << map->toolTipAt(map->positionOf(KuselFind).toPoint()).toStdString();
    EXPECT_EQ(map->toolTipAt(map->positionOf(KuselFind).toPoint() + QPoint(8, 8)), "Kusel: 1 Fund");
    EXPECT_EQ(map->toolTipAt(map->positionOf(AhrweilerInside).toPoint()), "Ahrweiler: keine Funde");
    EXPECT_TRUE(QRegularExpression("^GC4LUX Draussen\nGefunden am 2015-06-01\nNicht im Polygon: \\d+,\\d m "
                                   "außerhalb von Trier-Saarburg$")
                    .match(map->toolTipAt(map->positionOf({49.61, 6.13}).toPoint()))
                    .hasMatch());

    // The table after the scan.
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::FindsColumn), "1");
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::BestFindColumn), "GC1KUS");
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::DateColumn), "2015-06-01");
    EXPECT_TRUE(QRegularExpression("^\\d+,\\d$").match(cell(w, Kusel, ui::OverviewTableModel::DistanceColumn)).hasMatch());
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::MarkColumn), "");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::FindsColumn), "0");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::BestFindColumn), "");

    // The cut-off box switched off: the find in Trier now counts.
    child<QCheckBox>("cboxStichtag")->click();
    QApplication::processEvents();
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::FindsColumn), "1");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::BestFindColumn), "GC2TRI");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::DateColumn), "2010-03-04");
    EXPECT_EQ(w->statusLabel()->text(), "3 von 36 Kreisen belegt, davon 0 nur randnah. 4 Funde, 1 nicht im Polygon.");
    EXPECT_EQ(colourAt(w, {49.7557, 6.6394}), ui::DistrictMapView::CoveredFill);
    SaveScreenshot(w, "overview_window");
}

TEST_F(OverviewWindowTest, ProofListIsCopiedAndSavedAsTheGoldenFile)
{
    ui::TfrmOverview* w = open();
    openSmallQuery();
    child<QCheckBox>("cboxStichtag")->click();  // filter off: three districts
    const std::string golden = ReadBytes(QString::fromLatin1(QL_GOLDEN_DIR) + "/proof_list_small.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(w->ProofListText(), golden);
    w->findChild<QPushButton*>("btnKopieren")->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), golden);
    const QString path = fx.tempDir.filePath("nachweis.txt");
    w->SaveProofList(path);
    w->SaveProofList(path);  // written twice: the same bytes
    EXPECT_EQ(ReadBytes(path), golden);

    const QString image = fx.tempDir.filePath("karte.png");
    w->SaveImage(image);
    EXPECT_EQ(QImage(image).size(), w->map()->size());
}

TEST_F(OverviewWindowTest, ThresholdMarksNearBorderDistrictsAndIsRemembered)
{
    ui::TfrmOverview* w = open();
    openSmallQuery();
    EXPECT_EQ(w->threshold(), 100.0);
    w->setThreshold(1000);
    // Kusel's only find lies less than 1000 m from its border? Then it is marked; Mainz's cathedral too.
    const double kuselMetres = w->overview().districts[Kusel].bestMetres;
    const bool near = kuselMetres < 1000.0;
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::MarkColumn), near ? "unter 1000 m" : "");
    EXPECT_EQ(colourAt(w, KuselFind), near ? ui::DistrictMapView::NearBorderFill : ui::DistrictMapView::CoveredFill);
    EXPECT_EQ(QSettings().value(QString::fromLatin1(ui::TfrmOverview::ThresholdSetting)).toInt(), 1000);
    ui::TfrmOverview again(fx.state);
    EXPECT_EQ(again.threshold(), 1000.0);
    w->setThreshold(5000);  // beyond the range
    EXPECT_EQ(w->threshold(), 1000.0);
}

TEST_F(OverviewWindowTest, ClickSelectsTheDistrictAndDoubleClickOpensTheListing)
{
    std::vector<std::string> opened;
    platform::SetShellOpenOverride([&](const std::string& file, const std::string&) {
        opened.push_back(file);
        return 42;
    });
    ui::TfrmOverview* w = open();
    openSmallQuery();
    w->table()->sortByColumn(ui::OverviewTableModel::FindsColumn, Qt::DescendingOrder);
    ui::DistrictMapView* map = w->map();
    QTest::mouseClick(map, Qt::LeftButton, {}, map->positionOf(AhrweilerInside).toPoint());
    auto* proxy = static_cast<QSortFilterProxyModel*>(w->table()->model());
    EXPECT_EQ(proxy->mapToSource(w->table()->currentIndex()).row(), Ahrweiler);
    EXPECT_EQ(map->selectedDistrict(), Ahrweiler);
    QTest::mouseDClick(map, Qt::LeftButton, {}, map->positionOf({49.9990, 8.2739}).toPoint());
    platform::SetShellOpenOverride({});
    EXPECT_EQ(opened, std::vector<std::string>{"http://coord.info/GC3MZ"});
    EXPECT_EQ(map->districtAt(map->positionOf({49.9990, 8.2739}).toPoint()), Mainz);
}

TEST_F(OverviewWindowTest, EmptyAndDegeneratePolygonsDrawNothingAndBreakNothing)
{
    fx.state.PolyTable.SetPolygon(Ahrweiler, {});
    fx.state.PolyTable.SetPolygon(Kusel, {{49.5, 7.3}, {49.6, 7.4}});  // there and back
    ui::TfrmOverview* w = open();
    openSmallQuery();
    EXPECT_EQ(colourAt(w, AhrweilerInside, {0, 0}), QColor(Qt::white));
    EXPECT_EQ(w->map()->districtAt(w->map()->positionOf(AhrweilerInside).toPoint()), -1);
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::FindsColumn), "0");  // the find now lies in no district
    EXPECT_EQ(w->overview().CoveredCount(), 1);
}

}  // namespace
}  // namespace ql::test

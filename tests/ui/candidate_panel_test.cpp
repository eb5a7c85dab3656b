// The planner in the district overview: candidate lists loaded, counted per
// missing district, listed, filtered and sorted by the home point, shown on
// the map, exported as GPX and copied as a list; the progress chart.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "districts/polygon_files.h"
#include "core/tables.h"
#include "main_window_fixture.h"
#include "planner/candidate_reader.h"
#include "planner/found_codes.h"
#include "planner/planner_session.h"
#include "support/error_of.h"
#include "support/my_finds_query.h"
#include "ui/planner/CandidateExportDialog.h"
#include "ui/planner/CandidateMapLayer.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/ProgressChart.h"
#include "ui/overview/ProofListBar.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/common/Controls.h"
#include "ui/common/Windows.h"

namespace ql::test {
namespace {

constexpr int Ahrweiler = 0;
const TFPoint AhrweilerNear{50.3356, 6.9475};
const TFPoint AhrweilerFar{50.45, 7.25};

testquery::Cache At(const char* code, const char* name, TFPoint p, const char* d = "1")
{
    testquery::Cache c;
    c.code = code;
    c.name = name;
    c.lat = std::to_string(p.X);
    c.lon = std::to_string(p.Y);
    c.difficulty = d;
    c.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
    return c;
}

// A pocket query of caches still to find, in the site's layout.
std::string CandidateQuery(const std::vector<testquery::Cache>& caches, const std::string& archivedCode = {})
{
    std::string text = testquery::MyFindsQuery("2026-11-30T08:00:00Z", caches);
    const std::string plain = "archived=\"False\">";
    const std::string declared = "archived=\"False\" xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0/1\">";
    for (std::size_t at = text.find(plain); at != std::string::npos; at = text.find(plain, at + declared.size()))
        text.replace(at, plain.size(), declared);
    if (!archivedCode.empty()) {
        const std::size_t code = text.find("<name>" + archivedCode + "</name>");
        const std::size_t flag = text.find("available=\"True\" archived=\"False\"", code);
        text.replace(flag, 34, "available=\"False\" archived=\"True\" ");
    }
    return text;
}

std::string ReadAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CandidatePanelTest : public MainWindowFixture {
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
        // Finds in Kusel and Mainz.
        testquery::Cache kusel = At("GC1KUS", "Fish &amp; Chips", {49.538, 7.398});
        testquery::Cache mainz = At("GC3MZ", "Dom", {49.9990, 8.2739});
        mainz.logs = {{"Found it", "2016-07-08T07:00:00Z"}};
        OpenAndWait(main, WriteFile(fx.programDir.filePath("finds.gpx"),
                                    testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel, mainz})));
        child<QAction>("mnuUebersicht")->trigger();
        overview = fx.windows->frmOverview.get();
        panel = overview->planner();
        QApplication::processEvents();

        list1 = WriteFile(
            fx.tempDir.filePath("ahrweiler.gpx"),
            CandidateQuery({At("GC7NEAR", "Am Ahrufer", AhrweilerNear, "2"),
                            At("GC7FAR", "Hohe Acht", AhrweilerFar, "4.5"), At("GC7ARCH", "Verschollen", {50.40, 7.10}),
                            At("GC1KUS", "Fish &amp; Chips", {49.538, 7.398})},  // found already
                           "GC7ARCH"));
        list2 = WriteFile(fx.tempDir.filePath("kusel.gpx"),
                          CandidateQuery({At("GC8KUS", "Glanblick", {49.53, 7.40}),  // Kusel is covered
                                          At("GC7NEAR", "Am Ahrufer", AhrweilerNear, "2")}));  // again
    }

    ui::TfrmOverview* overview = nullptr;
    ui::CandidatePanel* panel = nullptr;
    QString list1, list2;
};

QStringList Column(QTableView* table, int column)
{
    QStringList out;
    for (int r = 0; r < table->model()->rowCount(); ++r) out << table->model()->index(r, column).data().toString();
    return out;
}

// Loads lists beside the window and waits until the read has ended; the text
// of the error box it showed, if any.
QString LoadAndWait(ui::CandidatePanel* panel, const QStringList& files)
{
    ModalAnswerer answer;  // closes the error box
    QSignalSpy done(panel, &ui::CandidatePanel::loadFinished);
    const qsizetype boxes = ui::ErrorBoxHistory().size();
    panel->LoadFiles(files);
    EXPECT_TRUE(done.wait(120000));
    return ui::ErrorBoxHistory().size() > boxes ? ui::ErrorBoxHistory().last() : QString();
}

int DistrictRowCount(ui::CandidatePanel* panel, const QString& name)
{
    QTableWidget* t = panel->districtTable();
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == name) return t->item(r, 2)->text().toInt();
    return -1;
}

TEST_F(CandidatePanelTest, ListsLoadIntoCountsTableAndMapAndABrokenFileIsNamed)
{
    EXPECT_EQ(child<QAction>("mnuSuchliste")->text(), "Suchliste laden...");
    const QString broken = WriteFile(fx.tempDir.filePath("kaputt.gpx"), "<gpx>\n<wpt lat=\"50\" lon=\"7\">\n</gpx>\n");
    const std::string error = LoadAndWait(panel, {list1, broken}).toStdString();
    EXPECT_NE(error.find("kaputt.gpx\" ist kein gültiges GPX: Zeile 3"), std::string::npos) << error;
    LoadAndWait(panel, {list2});  // added later; nothing loaded before is lost
    EXPECT_EQ(panel->statusLabel()->text(), "2 Suchlisten, 4 Caches (zuletzt 1 doppelt, 0 schon gefunden)");
    ASSERT_EQ(panel->candidates().Caches().size(), 4u);

    // Ahrweiler is missing: two available candidates; covered Kusel is not listed.
    EXPECT_EQ(DistrictRowCount(panel, "Ahrweiler"), 2);
    EXPECT_EQ(DistrictRowCount(panel, "Kusel"), -1);
    EXPECT_EQ(panel->districtTable()->rowCount(), 34);

    // Choosing the district in the panel selects it in the overview too.
    panel->districtTable()->setCurrentCell(0, 0);
    emit panel->districtTable()->cellClicked(0, 0);
    EXPECT_EQ(panel->district(), Ahrweiler);
    EXPECT_EQ(overview->map()->selectedDistrict(), Ahrweiler);
    QTableView* table = panel->table();
    // Without a home point: innermost first.
    EXPECT_EQ(Column(table, 0).size(), 2);
    EXPECT_EQ(table->model()->headerData(4, Qt::Horizontal).toString(), "Zur Grenze");
    panel->availableBox()->setChecked(false);
    EXPECT_EQ(Column(table, 0).size(), 3);
    EXPECT_TRUE(Column(table, 0).contains("GC7ARCH"));
    panel->availableBox()->setChecked(true);
    panel->difficultyBox()->setValue(3.0);
    EXPECT_EQ(Column(table, 0), QStringList{"GC7NEAR"});
    EXPECT_EQ(Column(table, 3), QStringList{"D2/T1.5"});
    panel->difficultyBox()->setValue(5.0);

    // On the map: a symbol where the candidate lies, with its tooltip.
    ui::DistrictMapView* map = overview->map();
    const QPoint at = map->positionOf(AhrweilerNear).toPoint();
    ASSERT_GE(panel->mapLayer()->candidateAt(at), 0);
    EXPECT_EQ(panel->candidates().Caches()[static_cast<std::size_t>(panel->mapLayer()->candidateAt(at))].Code,
              "GC7NEAR");
    EXPECT_EQ(panel->mapLayer()->toolTipAt(at), "GC7NEAR Am Ahrufer\nD2/T1.5 (Suchliste)");
    EXPECT_EQ(panel->mapLayer()->candidateAt(map->positionOf({49.53, 7.40}).toPoint()), -1);  // Kusel's is not shown
    const QImage shot = SaveScreenshot(overview, "overview_candidates");
    EXPECT_TRUE(HasColour(shot, AreaOf(shot, overview, map), ui::CandidateMapLayer::SymbolFill, 10));
    SaveScreenshot(panel, "candidate_table");

    // Caches without valid coordinates are counted in the load line.
    LoadAndWait(panel, {WriteFile(fx.tempDir.filePath("ohne.gpx"),
                                  "<gpx><wpt lat=\"NaN\" lon=\"7\"><name>GC9A</name></wpt>"
                                  "<wpt lat=\"95\" lon=\"7\"><name>GC9B</name></wpt></gpx>")});
    EXPECT_EQ(panel->statusLabel()->text(),
              "3 Suchlisten, 4 Caches (zuletzt 2 Wegpunkte ohne gültige Koordinaten übersprungen)");
}

TEST_F(CandidatePanelTest, DoubleClickOnASymbolOrARowOpensTheListingAndFindsStayAsTheyWere)
{
    std::vector<std::string> opened;
    platform::SetShellOpenOverride([&](const std::string& file, const std::string&) {
        opened.push_back(file);
        return 42;
    });
    LoadAndWait(panel, {list1});
    panel->setDistrict(Ahrweiler);
    QApplication::processEvents();
    ui::DistrictMapView* map = overview->map();
    QTest::mouseDClick(map, Qt::LeftButton, {}, map->positionOf(AhrweilerFar).toPoint());
    // A find's dot still opens its own listing.
    QTest::mouseDClick(map, Qt::LeftButton, {}, map->positionOf({49.9990, 8.2739}).toPoint());
    const QModelIndex first = panel->table()->model()->index(0, 0);
    emit panel->table()->doubleClicked(first);
    platform::SetShellOpenOverride({});
    EXPECT_EQ(opened, (std::vector<std::string>{"http://coord.info/GC7FAR", "http://coord.info/GC3MZ",
                                                "http://coord.info/" + first.data().toString().toStdString()}));
}

TEST_F(CandidatePanelTest, HomePointSortsByDistanceIsRememberedAndRefusesBadText)
{
    LoadAndWait(panel, {list1});
    panel->setDistrict(Ahrweiler);
    const QStringList innerFirst = Column(panel->table(), 0);
    // Home beside the far one: it comes first.
    panel->setHomeText(QStringLiteral("N 50° 27.000 E 007° 15.000"));
    EXPECT_EQ(Column(panel->table(), 0), (QStringList{"GC7FAR", "GC7NEAR"}));
    EXPECT_EQ(Column(panel->table(), 5).first(), "0.0 km");
    EXPECT_EQ(QSettings().value(QString::fromLatin1(ui::CandidatePanel::HomeSetting)).toString(),
              "N 050° 27.000 E 007° 15.000");
    // Decimal degrees too; a bad text is refused and changes nothing.
    panel->setHomeText(QStringLiteral("50.3356, 6.9475"));
    EXPECT_EQ(Column(panel->table(), 0), (QStringList{"GC7NEAR", "GC7FAR"}));
    EXPECT_NE(ErrorOf([&] { panel->setHomeText(QStringLiteral("zu Hause")); }).find("ist keine gültige Koordinate"),
              std::string::npos);
    EXPECT_EQ(Column(panel->table(), 0), (QStringList{"GC7NEAR", "GC7FAR"}));
    // A new window reads the remembered point.
    ui::CandidatePanel again(fx.state, overview->map());
    EXPECT_EQ(again.homeEdit()->text(), "N 050° 20.136 E 006° 56.850");
    panel->setHomeText(QString());
    EXPECT_EQ(Column(panel->table(), 0), innerFirst);
}

TEST_F(CandidatePanelTest, ExportWritesTheChosenCachesAndTheListIsCopied)
{
    LoadAndWait(panel, {list1});
    panel->setDistrict(Ahrweiler);
    panel->setHomeText(QStringLiteral("50.3356, 6.9475"));

    // The best one per missing district.
    const QString best = fx.tempDir.filePath("beste.gpx");
    panel->ExportGpx(best, false, 1);
    std::vector<Candidate> back = ReadCandidateGpx(ReadAll(best), "beste.gpx");
    ASSERT_EQ(back.size(), 1u);  // only Ahrweiler has candidates
    EXPECT_EQ(back[0].Code, "GC7NEAR");
    EXPECT_FALSE(back[0].Waypoint.empty());  // the pocket query's element, carried through

    // The selected rows.
    panel->table()->selectAll();
    const QString chosen = fx.tempDir.filePath("auswahl.gpx");
    panel->ExportGpx(chosen, true, 1);
    back = ReadCandidateGpx(ReadAll(chosen), "auswahl.gpx");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].Code, "GC7FAR");

    // The dialog: selected rows offered, N = 1 by default; cancelled, nothing written.
    bool seen = false;
    {
        ModalAnswerer answer([&](QWidget* modal) {
            auto* dialog = qobject_cast<ui::CandidateExportDialog*>(modal);
            if (!dialog) return false;
            seen = true;
            EXPECT_TRUE(dialog->selectedButton()->isChecked());
            EXPECT_EQ(dialog->countBox()->value(), 1);
            SaveScreenshot(dialog, "export_dialog");
            dialog->reject();
            return true;
        });
        panel->findChild<QPushButton*>("btnGpxExport")->click();
    }
    EXPECT_TRUE(seen);

    panel->findChild<QPushButton*>("btnListeKopieren")->click();
    const QString list = QApplication::clipboard()->text();
    EXPECT_TRUE(list.startsWith("Ahrweiler: GC7NEAR Am Ahrufer (Traditional Cache, D2/T1.5), 0.0 km, "))
        << list.toStdString();
    EXPECT_TRUE(list.contains("\nKusel") == false);
    EXPECT_TRUE(list.contains("\nTrier: kein Kandidat\n"));
}

TEST_F(CandidatePanelTest, ProgressChartCountsDistrictsByFirstFindAndFindsDropLaterCandidates)
{
    const std::vector<ProgressStep>& steps = panel->chart()->steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].date, "2015-06-01");
    EXPECT_EQ(steps[1].covered, 2);
    // Saved with the map, in its corner (a map large enough to hold it).
    overview->resize(1400, 1000);
    QTRY_VERIFY_WITH_TIMEOUT(overview->map()->height() >= 4 * 60, 120000);
    const QString saved = fx.tempDir.filePath("karte.png");
    overview->SaveImage(saved);
    const QImage withChart(saved);
    EXPECT_TRUE(HasColour(withChart, withChart.rect(), ui::ProgressChart::CutoffColour, 10));
    const QImage chart = panel->chart()->renderImage({400, 160});
    EXPECT_TRUE(HasColour(chart, chart.rect(), ui::ProgressChart::CutoffColour, 10));
    EXPECT_TRUE(HasColour(chart, chart.rect(), ui::ProgressChart::LineColour, 10));

    LoadAndWait(panel, {list1});
    EXPECT_EQ(panel->candidates().Caches().size(), 3u);
    // A query that holds GC7NEAR as found: it leaves the lists.
    testquery::Cache near = At("GC7NEAR", "Am Ahrufer", AhrweilerNear);
    OpenAndWait(
        main, WriteFile(fx.programDir.filePath("finds2.gpx"), testquery::MyFindsQuery("2017-02-01T00:00:00Z", {near})));
    QApplication::processEvents();
    EXPECT_EQ(panel->candidates().Caches().size(), 2u);
    EXPECT_EQ(DistrictRowCount(panel, "Ahrweiler"), -1);  // covered now
}

// The cut-off box clicked; the scan runs beside the window.
void ClickAndWaitForScan(QCheckBox* box)
{
    QSignalSpy scanned(box->window(), SIGNAL(scanFinished()));
    box->click();
    ASSERT_TRUE(scanned.count() > 0 || scanned.wait(120000));
}

QStringList DistrictsListed(ui::CandidatePanel* panel)
{
    QStringList out;
    QTableWidget* t = panel->districtTable();
    for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, 0)->text() + ": " + t->item(r, 1)->text();
    return out;
}

TEST_F(CandidatePanelTest, ListsLoadedBeforeTheBoundariesAreAssignedWhenTheyLoad)
{
    // A failed load: the finds are scanned again without boundaries.
    fx.state.PolygonLoadFailure = "Die Datei \"x\" ist nicht vorhanden.";
    emit main->scanFinished();
    EXPECT_EQ(panel->districtTable()->rowCount(), 0);
    EXPECT_EQ(LoadAndWait(panel, {list1}), QString());
    EXPECT_EQ(panel->statusLabel()->text(),
              "1 Suchliste, 3 Caches (zuletzt 0 doppelt, 1 schon gefunden)\nKreisgrenzen nicht geladen: Ohne sie "
              "lässt sich kein Kandidat einem Kreis zuordnen (Extras: \"Kreisgrenzen neu laden\").");
    EXPECT_EQ(panel->districtTable()->rowCount(), 0);
    EXPECT_EQ(panel->table()->model()->rowCount(), 0);
    // "Kreisgrenzen neu laden" succeeds; the overview follows the scan that comes after it.
    fx.state.PolygonLoadFailure.clear();
    emit main->scanFinished();
    EXPECT_EQ(DistrictRowCount(panel, "Ahrweiler"), 2);
    EXPECT_EQ(panel->statusLabel()->text(), "1 Suchliste, 3 Caches (zuletzt 0 doppelt, 1 schon gefunden)");
}

TEST_F(CandidatePanelTest, ThresholdUpAndDownReachesThePlanner)
{
    LoadAndWait(panel, {list1});
    // The districts whose best find lies within 1000 m of the border become wanted at 1000 m.
    QStringList nearAtMost;
    for (int d = 0; d < DistrictCount; ++d) {
        const DistrictSummary& s = overview->overview().districts[static_cast<std::size_t>(d)];
        if (s.finds > 0 && s.bestMetres < 1000.0)
            nearAtMost << ui::FromUtf8(DistrictNames[static_cast<std::size_t>(d)]) + ": nur randnah";
        ASSERT_TRUE(s.finds == 0 || s.bestMetres >= 100.0);
    }
    ASSERT_FALSE(nearAtMost.isEmpty());  // the Mainz find lies within 1 km of the Rhine
    const QStringList at100 = DistrictsListed(panel);
    EXPECT_EQ(at100.size(), 34);
    overview->setThreshold(1000);
    QStringList at1000 = DistrictsListed(panel);
    for (const QString& near : nearAtMost) EXPECT_TRUE(at1000.contains(near)) << near.toStdString();
    EXPECT_EQ(at1000.size(), 34 + nearAtMost.size());
    // The same districts and counts as query-bench plan --threshold 1000 gives: its session, fed as it feeds it.
    PlannerSession bench;
    bench.SetBoundaries(&fx.state.PolyTable);
    bench.SetFinds(BuildDistrictOverview(fx.state.PolyTable, fx.state.Rows), FoundCodes(fx.state.QueryLines));
    bench.SetThreshold(1000.0);
    bench.AddFiles({QDir::toNativeSeparators(list1).toStdString()});
    QStringList benchListed;
    for (int d : bench.WantedDistricts())
        benchListed << ui::FromUtf8(DistrictNames[static_cast<std::size_t>(d)]) + ": " +
                           QString::number(bench.Plan()[static_cast<std::size_t>(d)].ranked.size());
    QStringList windowListed;
    for (int r = 0; r < panel->districtTable()->rowCount(); ++r)
        windowListed << panel->districtTable()->item(r, 0)->text() + ": " + panel->districtTable()->item(r, 2)->text();
    EXPECT_EQ(windowListed, benchListed);
    overview->setThreshold(100);
    EXPECT_EQ(DistrictsListed(panel), at100);
}

TEST_F(CandidatePanelTest, AReadIsCancelledByEscapeOrTheButtonAndTheListsStayAsTheyWere)
{
    LoadAndWait(panel, {list1});
    // A list large enough that its read is still running when the key arrives.
    std::string many = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">\n";
    for (int i = 0; i < 100000; ++i)
        many += "<wpt lat=\"50.45\" lon=\"7.25\"><name>GC9" + std::to_string(100000 + i) +
                "</name><desc>Viele by Jemand, Traditional Cache (1/1)</desc>"
                "<type>Geocache|Traditional Cache</type></wpt>\n";
    const QString big = WriteFile(fx.tempDir.filePath("gross.gpx"), many + "</gpx>\n");
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "Abbrechen");
        QSignalSpy done(panel, &ui::CandidatePanel::loadFinished);
        panel->LoadFiles({big});
        ASSERT_TRUE(panel->isLoading());
        if (escape) QTest::keyClick(panel->table(), Qt::Key_Escape);
        else panel->cancelButton()->click();
        ASSERT_TRUE(done.wait(120000));
        EXPECT_FALSE(panel->isLoading());
        EXPECT_EQ(panel->candidates().Caches().size(), 3u);
        EXPECT_EQ(DistrictRowCount(panel, "Ahrweiler"), 2);
        EXPECT_EQ(overview->messageLabel()->text(), "Laden der Suchlisten abgebrochen; die geladenen Listen bleiben.");
        EXPECT_TRUE(overview->isVisible());  // Escape stopped the read, not the window
        EXPECT_FALSE(panel->progressRow()->isVisible());
    }
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
}

TEST_F(CandidatePanelTest, FilesDroppedOnThePlannerLoadAsLists)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(list1), QUrl::fromLocalFile(fx.tempDir.filePath("notiz.txt"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QSignalSpy done(panel, &ui::CandidatePanel::loadFinished);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &drop);
    ASSERT_TRUE(done.wait(120000));
    EXPECT_EQ(panel->candidates().Files(), std::vector<std::string>{QDir::toNativeSeparators(list1).toStdString()});
    EXPECT_EQ(DistrictRowCount(panel, "Ahrweiler"), 2);
}

TEST_F(CandidatePanelTest, SavingAndCopyingAreConfirmedInTheStatusLine)
{
    LoadAndWait(panel, {list1});
    const QString gpx = fx.tempDir.filePath("beste.gpx");
    panel->ExportGpx(gpx, false, 1);
    EXPECT_EQ(overview->messageLabel()->text(),
              "GPX-Datei gespeichert: " + QDir::toNativeSeparators(gpx) + " (1 Cache)");
    panel->findChild<QPushButton*>("btnListeKopieren")->click();
    EXPECT_EQ(overview->messageLabel()->text(), "Liste der Kandidaten in die Zwischenablage kopiert.");
    const QString proof = fx.tempDir.filePath("nachweis.txt");
    overview->SaveProofList(proof);
    EXPECT_EQ(overview->messageLabel()->text(), "Nachweisliste gespeichert: " + QDir::toNativeSeparators(proof));
}

TEST_F(CandidatePanelTest, TheProofListSaveDialogOffersANameOfTheChosenFilter)
{
    overview->proofListBar()->setFormat(ProofFormat::Csv);
    QStringList names;
    {
        ModalAnswerer answer([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) return false;
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            names << dialog->selectedNameFilter() + " " + name->text();
            types->setCurrentIndex(0);
            emit types->activated(0);
            names << dialog->selectedNameFilter() + " " + name->text();
            dialog->reject();
            return true;
        });
        overview->proofListBar()->findChild<QPushButton*>("btnSpeichern")->click();
    }
    EXPECT_EQ(names,
              (QStringList{"CSV (*.csv) Nachweisliste 2017-01-01.csv", "Text (*.txt) Nachweisliste 2017-01-01.txt"}));
}

TEST_F(CandidatePanelTest, TheProofListNamesADistrictWithOnlyEarlierFindsInBothStatesOfTheCutoffBox)
{
    testquery::Cache trier = At("GC2TRI", "Porta", {49.7557, 6.6394});
    trier.logs = {{"Found it", "2010-03-04T07:00:00Z"}};
    OpenAndWait(
        main, WriteFile(fx.programDir.filePath("trier.gpx"), testquery::MyFindsQuery("2017-01-01T00:00:00Z", {trier})));
    const std::string boxOn = overview->ProofListText();
    EXPECT_NE(boxOn.find("\nFehlt: Trier (nur Funde vor 2011-05-24)\n"), std::string::npos) << boxOn;
    ClickAndWaitForScan(child<QCheckBox>("cboxStichtag"));
    EXPECT_EQ(overview->ProofListText(), boxOn);
}

TEST_F(CandidatePanelTest, WithoutBoundariesNothingReadsAsAResult)
{
    fx.state.PolygonLoadFailure = "Die Datei \"x\" ist nicht vorhanden.";
    fx.state.PolyTable = DistrictMap();  // the folder was missing: nothing read
    ClickAndWaitForScan(child<QCheckBox>("cboxStichtag"));  // a scan on no boundaries
    ASSERT_EQ(fx.state.Rows.size(), 2u);
    EXPECT_EQ(fx.state.Rows[0].District, "Kreisgrenzen nicht geladen");
    EXPECT_EQ(fx.state.NotInPolygonCount, 0);
    EXPECT_TRUE(fx.state.PlacemarkFiles.empty());
    // The proof list and the picture refuse, and say why.
    EXPECT_EQ(ErrorOf([&] { overview->ProofListText(); }),
              "Kreisgrenzen nicht geladen: Ohne sie lässt sich keine Nachweisliste erstellen (Extras: "
              "\"Kreisgrenzen neu laden\").");
    EXPECT_EQ(ErrorOf([&] { overview->SaveImage(fx.tempDir.filePath("karte.png")); }),
              "Kreisgrenzen nicht geladen: Ohne sie lässt sich kein Bild der Kreise speichern (Extras: "
              "\"Kreisgrenzen neu laden\").");
    EXPECT_FALSE(QFileInfo::exists(fx.tempDir.filePath("karte.png")));
    EXPECT_EQ(panel->districtTable()->rowCount(), 0);
    EXPECT_TRUE(panel->statusLabel()->text().contains("Kreisgrenzen nicht geladen"));
    EXPECT_TRUE(overview->statusLabel()->text().contains(" 2 Funde, 2 keinem Kreis zugeordnet."))
        << overview->statusLabel()->text().toStdString();
    // The tally: no red zeros, the reason in its corner.
    ui::TfrmLK* lk = fx.windows->frmLK.get();
    lk->FormActivate();
    EXPECT_EQ(lk->findChild<QLabel*>("lblLKAnz1")->text(), "–");
    EXPECT_EQ(lk->findChild<QLabel*>("lblUebersicht")->text(), "Kreisgrenzen nicht geladen");
    EXPECT_NE(lk->findChild<QLabel*>("lblLKAnz1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

}  // namespace
}  // namespace ql::test

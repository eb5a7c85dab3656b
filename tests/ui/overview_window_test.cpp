// The district overview window: opened from the main window, following its
// scans, map colours and hits, tooltips, table, proof list, listing links.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QScreen>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>

#include "districts/polygon_files.h"
#include "core/tables.h"
#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/OverviewPicture.h"
#include "ui/overview/OverviewTableModel.h"
#include "ui/overview/ProgressChart.h"
#include "ui/planner/CandidateMapLayer.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/overview/ProofListBar.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/common/Windows.h"

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

// A find of one cache, logged on `date` at seven in the morning.
testquery::Cache Find(const char* code, const char* name, const char* lat, const char* lon, const char* date)
{
    testquery::Cache c;
    c.code = code;
    c.name = name;
    c.lat = lat;
    c.lon = lon;
    c.logs = {{"Found it", std::string(date) + "T07:00:00Z"}};
    return c;
}

// Kusel, Trier (found before the cut-off date), Mainz and one in Luxembourg.
std::string SmallQuery()
{
    return testquery::MyFindsQuery("2017-01-01T00:00:00Z",
                                   {Find("GC1KUS", "Fish &amp; Chips", "49.538", "7.398", "2015-06-01"),
                                    Find("GC2TRI", "Porta Nigra", "49.7557", "6.6394", "2010-03-04"),
                                    Find("GC3MZ", "Dom &lt;Mainz&gt;", "49.9990", "8.2739", "2016-07-08"),
                                    Find("GC4LUX", "Draussen", "49.61", "6.13", "2015-06-01")});
}

// For the proof list: Mainz's finds from the cut-off on lie 40 m and 20 m
// inside its border; its cathedral, farther inside, was found before.
std::string ProofQuery()
{
    return testquery::MyFindsQuery("2017-01-01T00:00:00Z",
                                   {Find("GC1KUS", "Fish &amp; Chips; \"frisch\"", "49.538", "7.398", "2015-06-01"),
                                    Find("GC2TRI", "Porta [Nigra]", "49.7557", "6.6394", "2010-03-04"),
                                    Find("GC3MZ", "Dom", "49.9990", "8.2739", "2010-03-04"),
                                    Find("GC6RND", "Noch naeher", "49.94485", "8.32373", "2016-02-04"),
                                    Find("GC5RND", "Am Rand", "49.94501", "8.3236", "2016-02-03")});
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
        w->resize(1200, 760);  // larger than the test screen: the map's points lie apart
        QApplication::processEvents();
        return w;
    }
    void openSmallQuery() { OpenAndWait(main, WriteFile(fx.programDir.filePath("finds.gpx"), SmallQuery())); }
    // A fill counts when each channel is within 16 of it: the district counts
    // and the legend are drawn with each platform's own fonts and may reach a
    // probe point with an antialiased edge.
    static bool SameColour(const QColor& a, const QColor& b)
    {
        return std::abs(a.red() - b.red()) <= 16 && std::abs(a.green() - b.green()) <= 16 &&
               std::abs(a.blue() - b.blue()) <= 16;
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
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), "Kreisübersicht");
    EXPECT_EQ(w->statusLabel()->text(), "Keine Query geladen: alle Kreise ohne Fund.");
    EXPECT_PRED2(SameColour, colourAt(w, KuselFind), ui::DistrictMapView::UncoveredFill);
    EXPECT_PRED2(SameColour, colourAt(w, AhrweilerInside), ui::DistrictMapView::UncoveredFill);
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
    EXPECT_PRED2(SameColour, colourAt(w, KuselFind), ui::DistrictMapView::CoveredFill);
    EXPECT_PRED2(SameColour, colourAt(w, AhrweilerInside), ui::DistrictMapView::UncoveredFill);
    EXPECT_EQ(map->districtAt(map->positionOf(KuselFind).toPoint()), Kusel);
    EXPECT_EQ(map->districtAt(map->positionOf(AhrweilerInside).toPoint()), Ahrweiler);
    EXPECT_EQ(map->districtAt(QPoint(1, 1)), -1);
    // The find's dot, in the counted finds' colour.
    EXPECT_PRED2(SameColour, colourAt(w, KuselFind, {0, 0}), ui::DistrictMapView::CountedDot);

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
    WaitUntilIdle(main);
    QApplication::processEvents();
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::FindsColumn), "1");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::BestFindColumn), "GC2TRI");
    EXPECT_EQ(cell(w, Trier, ui::OverviewTableModel::DateColumn), "2010-03-04");
    EXPECT_EQ(w->statusLabel()->text(),
              "3 von 36 Kreisen belegt, davon 0 nur randnah. 4 Funde, 1 nicht im Polygon. "
              "Auch Funde vor dem 2011-05-24 sind gezählt; die Nachweisliste nennt nur "
              "Funde ab diesem Tag.");
    EXPECT_PRED2(SameColour, colourAt(w, {49.7557, 6.6394}), ui::DistrictMapView::CoveredFill);
    SaveScreenshot(w, "overview_window");
}

TEST_F(OverviewWindowTest, ProofListInEachFormatIsCopiedAndSavedAsTheGoldenFiles)
{
    ui::TfrmOverview* w = open();
    OpenAndWait(main, WriteFile(fx.programDir.filePath("proof.gpx"), ProofQuery()));
    // The box off: the window counts the finds before the cut-off, the proof list does not.
    child<QCheckBox>("cboxStichtag")->click();
    WaitUntilIdle(main);
    EXPECT_TRUE(w->statusLabel()->text().endsWith(
        "Auch Funde vor dem 2011-05-24 sind gezählt; die Nachweisliste nennt nur Funde ab diesem Tag."));
    EXPECT_PRED2(SameColour, colourAt(w, {49.9990, 8.2739}),
                 ui::DistrictMapView::CoveredFill);  // the cathedral counts here
    auto* format = w->proofListBar()->formatBox();
    EXPECT_EQ(format->count(), 3);
    const struct {
        ProofFormat format;
        const char* golden;
        const char* file;
    } cases[] = {{ProofFormat::Text, "proof_list_small.txt", "nachweis.txt"},
                 {ProofFormat::BBCode, "proof_list_small.bbcode", "nachweis.BBCode"},
                 {ProofFormat::Csv, "proof_list_small.csv", "nachweis.csv"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const std::string golden = ReadBytes(QString::fromLatin1(QL_GOLDEN_DIR) + "/" + c.golden);
        ASSERT_FALSE(golden.empty());
        // A CSV file starts with the byte-order mark; the copied text does not.
        const std::string text = c.format == ProofFormat::Csv ? golden.substr(3) : golden;
        EXPECT_EQ(w->ProofListText(c.format), text);
        w->proofListBar()->setFormat(c.format);
        QApplication::clipboard()->clear();
        w->messageLabel()->clear();
        w->findChild<QPushButton*>("btnKopieren")->click();
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text);
        EXPECT_EQ(w->messageLabel()->text(),
                  "Nachweisliste als " + format->currentText() + " in die Zwischenablage kopiert.");
        // The format follows the file type, whatever the choice says.
        w->proofListBar()->setFormat(ProofFormat::Text);
        const QString path = fx.tempDir.filePath(c.file);
        w->SaveProofList(path);
        w->SaveProofList(path);  // written twice: the same bytes
        EXPECT_EQ(ReadBytes(path), golden);
    }
    EXPECT_EQ(w->proofListBar()->suggestedFileName(), "Nachweisliste 2017-01-01.txt");

    // The saved picture: drawn from the data at a fixed width, the selection not outlined.
    w->map()->setSelectedDistrict(Kusel);
    const auto hasSelectionColour = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == ui::DistrictMapView::SelectedBorderColour) return true;
        return false;
    };
    EXPECT_TRUE(hasSelectionColour(w->map()->renderImage(w->map()->size())));
    const QString path = fx.tempDir.filePath("karte.png");
    w->SaveImage(path);
    const QImage image(path);
    EXPECT_EQ(image.width(), ui::OverviewPictureWidth);
    EXPECT_FALSE(hasSelectionColour(image));
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 2), QColor(Qt::white));  // below the source box
    // Its parts, as measured in its fonts, lie apart; the chart is drawn in its own.
    const ui::OverviewPictureContent content = ui::PictureContentOf(fx.state, w->overview(), w->threshold(), {});
    const PictureLayout layout = ui::OverviewPictureLayout(*w->map(), content);
    EXPECT_EQ(image.size(), QSize(layout.width, layout.height));
    const PictureRect parts[] = {layout.caption,  layout.map,   layout.legend,
                                 layout.scaleBar, layout.chart, layout.licence};
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        EXPECT_FALSE(parts[i].empty()) << i;
        for (std::size_t j = i + 1; j < std::size(parts); ++j)
            EXPECT_FALSE(parts[i].overlaps(parts[j])) << i << "/" << j;
    }
    bool chartLine = false;
    for (int y = layout.chart.y; y < layout.chart.bottom() && !chartLine; ++y)
        for (int x = layout.chart.x; x < layout.chart.right() && !chartLine; ++x)
            chartLine = SameColour(image.pixelColor(x, y), ui::ProgressChart::LineColour);
    EXPECT_TRUE(chartLine);
    // Whatever the window's size, the same picture.
    w->resize(w->width() - 300, w->height() - 200);
    QApplication::processEvents();
    const QString again = fx.tempDir.filePath("karte2.png");
    w->SaveImage(again);
    EXPECT_EQ(ReadBytes(path), ReadBytes(again));
    const QStringList caption = {"Quenlorn: 3 von 36 Kreisen belegt", "Query vom 2017-01-01 - 00:00:00Z",
                                 "Stichtag aus: auch Funde vor dem 2011-05-24 gezählt"};
    EXPECT_EQ(w->exportCaption(), caption);
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
    EXPECT_PRED2(SameColour, colourAt(w, KuselFind),
                 near ? ui::DistrictMapView::NearBorderFill : ui::DistrictMapView::CoveredFill);
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
    EXPECT_PRED2(SameColour, colourAt(w, AhrweilerInside, {0, 0}), QColor(Qt::white));
    EXPECT_EQ(w->map()->districtAt(w->map()->positionOf(AhrweilerInside).toPoint()), -1);
    EXPECT_EQ(cell(w, Kusel, ui::OverviewTableModel::FindsColumn), "0");  // the find now lies in no district
    EXPECT_EQ(w->overview().CoveredCount(), 1);
}

TEST_F(OverviewWindowTest, KeyboardEscapeClosesAccessKeysAreUniqueAndTabLeavesTheTable)
{
    QSettings().remove(QString::fromLatin1(ui::TfrmOverview::GeometrySetting));
    child<QAction>("mnuUebersicht")->trigger();
    ui::TfrmOverview* w = fx.windows->frmOverview.get();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));

    // Every button and every labelled field has its own access key.
    QList<QChar> keys;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || b->text().isEmpty()) continue;
        const QKeySequence key = QKeySequence::mnemonic(b->text());
        EXPECT_FALSE(key.isEmpty()) << b->text().toStdString();
        keys.append(b->text().at(b->text().indexOf('&') + 1).toLower());
    }
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->buddy()) keys.append(l->text().at(l->text().indexOf('&') + 1).toLower());
    // The tabs beside the map have theirs too.
    for (int t = 0; t < w->tabs()->count(); ++t) {
        const QString text = w->tabs()->tabText(t);
        ASSERT_GE(text.indexOf('&'), 0) << text.toStdString();
        keys.append(text.at(text.indexOf('&') + 1).toLower());
    }
    EXPECT_GE(keys.size(), 10);
    for (QChar k : keys) EXPECT_EQ(keys.count(k), 1) << QString(k).toStdString();
    // Alt+N shows the proof list, Alt+K copies it.
    QTest::keyClick(w, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(w->tabs()->currentIndex(), int(ui::TfrmOverview::NachweisTab));
    QApplication::clipboard()->clear();
    QTest::keyClick(w, Qt::Key_K, Qt::AltModifier);
    QTRY_VERIFY(QApplication::clipboard()->text().startsWith("Quenlorn: 0 von 36"));

    // The preview shows what was copied.
    EXPECT_EQ(w->proofPreview()->toPlainText(), QApplication::clipboard()->text());

    // Tab goes on from the table.
    w->showTab(ui::TfrmOverview::KreiseTab);
    w->table()->setFocus();
    QTRY_VERIFY(w->table()->hasFocus());
    QTest::keyClick(w->table(), Qt::Key_Tab);
    QTRY_VERIFY(!w->table()->hasFocus());

    // The window opens inside the screen; Escape closes it and its place is kept.
    const QRect available = w->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(w->frameGeometry()))
        << w->frameGeometry().width() << "x" << w->frameGeometry().height();
    EXPECT_LE(w->minimumSizeHint().width(), available.width());
    EXPECT_LE(w->minimumSizeHint().height(), available.height());
    w->resize(w->width() - 40, w->height() - 30);
    const QSize size = w->size();
    QTest::keyClick(w, Qt::Key_Escape);
    QTRY_VERIFY(!w->isVisible());
    ui::TfrmOverview again(fx.state);
    again.show();
    EXPECT_EQ(again.size(), size);
}

TEST_F(OverviewWindowTest, WithAHundredThousandFindsEveryDistrictKeepsItsColour)
{
    // 100,000 finds spread evenly over the state's box, a few in no district.
    std::vector<CacheRow> rows;
    rows.reserve(100'000);
    std::uint32_t seed = 20;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    for (int i = 0; i < 100'000; ++i) {
        CacheRow row;
        row.Point = {48.95 + 2.1 * next(), 6.1 + 2.5 * next()};
        row.DistrictIndex = fx.state.PolyTable.Find(row.Point).value_or(-1);
        row.NotInPolygon = row.DistrictIndex < 0;
        row.FindDate = "2015-01-01";
        rows.push_back(std::move(row));
    }
    const DistrictOverview overview = BuildDistrictOverview(fx.state.PolyTable, rows);
    ui::DistrictMapView map;
    map.resize(900, 800);
    map.setDistricts(fx.state.PolyTable);
    map.setScan(&rows, &overview);
    map.setThreshold(100);
    map.fitAll();
    const QImage image = map.renderImage(map.size());
    image.save(QStringLiteral(QL_RUNTIME_DIR "/../screenshots/overview_map_100k_test.png"));

    int checked = 0;
    for (int d = 0; d < DistrictCount; ++d) {
        int inside = 0, coloured = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                if (map.districtAt({x, y}) == d) {
                    ++inside;
                    coloured += image.pixelColor(x, y) == ui::DistrictMapView::CoveredFill;
                }
        if (inside < 40) continue;  // too small at this size to judge
        ++checked;
        EXPECT_GE(coloured, inside / 2) << DistrictNames[static_cast<std::size_t>(d)] << ": " << coloured << " of "
                                        << inside;
    }
    EXPECT_GE(checked, 24);
}

TEST_F(OverviewWindowTest, ADistrictOfHalfAMillionVerticesDrawsItsFillBorderAndSelection)
{
    // Ahrweiler as a zig-zag ring between two radii around its middle: more
    // vertices than the painter's strokes take, so its lines go pixel by pixel.
    const TFPoint middle = AhrweilerInside;
    TPolyArray ring;
    const int vertices = 500'000;
    for (int k = 0; k < vertices; ++k) {
        const double a = 2 * std::numbers::pi * k / vertices, r = k % 2 ? 0.05 : 0.08;
        ring.push_back({middle.X + r * std::sin(a), middle.Y + r * std::cos(a) / 0.64});
    }
    fx.state.PolyTable.SetPolygon(Ahrweiler, ring);
    ui::DistrictMapView map;
    map.resize(900, 800);
    map.setDistricts(fx.state.PolyTable);
    map.setSelectedDistrict(Ahrweiler);
    map.fitAll();
    const QImage image = map.renderImage(map.size(), {}, 2.0);
    ASSERT_EQ(image.size(), QSize(1800, 1600));
    const auto at = [&](TFPoint p) { return image.pixelColor((map.positionOf(p) * 2).toPoint()); };
    EXPECT_EQ(at(middle), ui::DistrictMapView::UncoveredFill);
    EXPECT_EQ(at({middle.X + 0.065, middle.Y}), ui::DistrictMapView::SelectedBorderColour);  // in the band
    EXPECT_EQ(at({middle.X + 0.12, middle.Y}), QColor(Qt::white));  // beyond it: the state's border moved in
    EXPECT_EQ(at({49.9990, 8.2739}), ui::DistrictMapView::UncoveredFill);  // Mainz

    // Every district's fill lies where the district search finds it, and the
    // other borders are drawn as well.
    int borders = 0, wrong = 0;
    for (int y = 0; y < image.height() * 3 / 4; y += 7)  // above the legend
        for (int x = 0; x < image.width(); x += 7) {
            const QColor c = image.pixelColor(x, y);
            borders += c == ui::DistrictMapView::BorderColour;
            // Judged only clear of any border, where the pixel's neighbours agree.
            const QPoint p(x / 2, y / 2);
            const int d = map.districtAt(p);
            bool clear = true;
            for (const QPoint step : {QPoint(-1, -1), QPoint(1, -1), QPoint(-1, 1), QPoint(1, 1)})
                clear = clear && map.districtAt(p + step) == d;
            if (!clear) continue;
            if (c == ui::DistrictMapView::UncoveredFill) wrong += d < 0;
            if (c == QColor(Qt::white)) wrong += d >= 0;
        }
    EXPECT_GT(borders, 50);
    EXPECT_EQ(wrong, 0);
}

TEST_F(OverviewWindowTest, LoadedCandidatesShowThePlannerAndCanBeHiddenOnMapAndPicture)
{
    ui::TfrmOverview* w = open();
    openSmallQuery();
    EXPECT_FALSE(w->candidatesBox()->isVisible());  // no lists, no switch
    QSignalSpy loaded(w->planner(), &ui::CandidatePanel::loadFinished);
    w->planner()->LoadFiles({QStringLiteral(QL_FIXTURES_DIR "/candidates/site_pq.gpx")});  // read beside the window
    ASSERT_TRUE(loaded.wait(120000));
    QApplication::processEvents();
    const std::size_t shown = w->planner()->mapLayer()->count();
    ASSERT_GT(shown, 0u);
    // Loading shows the planner's tab and the switch; the picture carries the candidates.
    EXPECT_EQ(w->tabs()->currentIndex(), int(ui::TfrmOverview::PlanenTab));
    EXPECT_TRUE(w->candidatesBox()->isVisible());
    const QImage with = w->ExportImage();
    const ui::OverviewPictureContent content =
        ui::PictureContentOf(fx.state, w->overview(), w->threshold(), w->planner()->mapLayer()->points());
    EXPECT_EQ(content.candidates.size(), shown);
    // Hidden: neither on the map nor in the picture.
    w->candidatesBox()->click();
    EXPECT_FALSE(w->planner()->mapLayer()->isVisible());
    EXPECT_EQ(w->planner()->mapLayer()->candidateAt(w->map()->positionOf({50.035, 7.005}).toPoint()), -1);
    const QImage without = w->ExportImage();
    EXPECT_NE(with, without);
    const PictureLayout layout = ui::OverviewPictureLayout(*w->map(), content);
    bool symbol = false;
    for (int y = layout.map.y; y < layout.map.bottom() && !symbol; ++y)
        for (int x = layout.map.x; x < layout.map.right() && !symbol; ++x)
            symbol = SameColour(without.pixelColor(x, y), ui::CandidateMapLayer::SymbolFill);
    EXPECT_FALSE(symbol);
    w->candidatesBox()->click();
    EXPECT_TRUE(w->planner()->mapLayer()->isVisible());
}

}  // namespace
}  // namespace ql::test

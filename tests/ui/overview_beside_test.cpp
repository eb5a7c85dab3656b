// The district overview while a large scan's figures are made beside it: the
// window answers, it keeps the rows its shown figures belong to, a new scan
// replaces the work, and closing or Escape ends it without a late delivery.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/tables.h"
#include "districts/polygon_files.h"
#include "main_window_fixture.h"
#include "state/app_state.h"
#include "support/my_finds_query.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/common/Windows.h"

namespace ql::test {
namespace {

// Finds enough that their figures are made beside the window, all in the
// middle of the state; every other one found before the cut-off date.
constexpr int LargeFinds = 8000;

std::string LargeQuery()
{
    std::vector<testquery::Cache> caches(LargeFinds);
    std::uint32_t seed = 7;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    char text[32];
    for (int i = 0; i < LargeFinds; ++i) {
        testquery::Cache& c = caches[static_cast<std::size_t>(i)];
        std::snprintf(text, sizeof text, "GC%05X", 0x10000 + i);
        c.code = text;
        std::snprintf(text, sizeof text, "%.5f", 49.6 + 0.8 * next());
        c.lat = text;
        std::snprintf(text, sizeof text, "%.5f", 7.0 + 0.9 * next());
        c.lon = text;
        c.logs = {{"Found it", i % 2 ? "2010-03-04T07:00:00Z" : "2015-06-01T07:00:00Z"}};
    }
    return testquery::MyFindsQuery("2017-01-01T00:00:00Z", caches);
}

class OverviewBesideTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        for (int i = 0; i < DistrictCount; ++i)
            fx.state.PolyTable.SetPolygon(
                i, LoadPolygonFile(fx.state.ProgramDir + "rlp_polygons/" +
                                   std::string(DistrictFileNames[static_cast<std::size_t>(i)]) + ".txt"));
        child<QAction>("mnuUebersicht")->trigger();
        w = fx.windows->frmOverview.get();
        query = WriteFile(fx.programDir.filePath("large.gpx"), LargeQuery());
    }
    // Runs `act` once, right after the overview has taken the main window's
    // next scan (this connection is made after the overview's own).
    void AfterNextScan(std::function<void()> act)
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = QObject::connect(main, &ui::TfrmMain::scanFinished, w, [once, act] {
            QObject::disconnect(*once);
            act();
        });
    }
    // The shown figures belong to the shown rows, and those to the state's.
    void ExpectShowingTheState()
    {
        EXPECT_FALSE(w->figuresRunning());
        EXPECT_EQ(w->shownRows().size(), fx.state.Rows.size());
        EXPECT_EQ(w->overview().finds.size(), fx.state.Rows.size());
        int counted = 0;
        for (const DistrictSummary& d : w->overview().districts) counted += d.finds;
        for (const FindPlace& place : w->overview().finds) counted += place.district < 0;
        EXPECT_EQ(counted, static_cast<int>(fx.state.Rows.size()));
        EXPECT_TRUE(w->statusLabel()->text().contains(QString::number(fx.state.Rows.size()) + " Funde"))
            << w->statusLabel()->text().toStdString();
    }

    ui::TfrmOverview* w = nullptr;
    QString query;
};

TEST_F(OverviewBesideTest, TheWindowAnswersWhileALargeScansFiguresAreMade)
{
    // Queued before the scan's end reaches the overview, so it comes before
    // the figures' delivery: it finds them still being made.
    bool answered = false, runningThen = false;
    QObject::connect(main, &ui::TfrmMain::stepEnded, w, [&] {
        QMetaObject::invokeMethod(
            w,
            [&] {
                answered = true;
                runningThen = w->figuresRunning();
                w->repaint();
            },
            Qt::QueuedConnection);
    });
    bool besideAtOnce = false;
    std::size_t shownMeanwhile = 1;
    AfterNextScan([&] {
        besideAtOnce = w->figuresRunning();
        // Until then the window shows what it showed before: no finds.
        shownMeanwhile = w->overview().finds.size() + w->shownRows().size();
    });
    QSignalSpy shown(w, &ui::TfrmOverview::figuresShown);
    OpenAndWait(main, query);
    ASSERT_TRUE(shown.count() == 1 || shown.wait(60000));
    EXPECT_TRUE(besideAtOnce);
    EXPECT_EQ(shownMeanwhile, 0u);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(runningThen);
    EXPECT_EQ(fx.state.Rows.size(), static_cast<std::size_t>(LargeFinds / 2));
    ExpectShowingTheState();
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
}

TEST_F(OverviewBesideTest, ANewScanWhileTheFiguresAreMadeReplacesThemAndTheShownPairStaysWhole)
{
    QSignalSpy shown(w, &ui::TfrmOverview::figuresShown);
    bool pairedMeanwhile = false;
    // The first scan's figures are being made when the cut-off box starts
    // another scan, whose rows replace the state's.
    AfterNextScan([&] {
        ASSERT_TRUE(w->figuresRunning());
        child<QCheckBox>("cboxStichtag")->click();
        EXPECT_FALSE(w->figuresRunning());  // held while the main window scans
        AfterNextScan([&] {
            EXPECT_TRUE(w->figuresRunning());
            pairedMeanwhile = w->overview().finds.size() == w->shownRows().size();
        });
    });
    OpenAndWait(main, query);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->busy() && !w->figuresRunning(); }, 60000));
    EXPECT_EQ(shown.count(), 1);  // the first scan's figures never came
    EXPECT_TRUE(pairedMeanwhile);
    EXPECT_EQ(fx.state.Rows.size(), static_cast<std::size_t>(LargeFinds));
    ExpectShowingTheState();
}

TEST_F(OverviewBesideTest, ClosingOrEscapeDuringTheFiguresEndsThemAndNothingComesLate)
{
    QSignalSpy shown(w, &ui::TfrmOverview::figuresShown);
    AfterNextScan([&] {
        ASSERT_TRUE(w->figuresRunning());
        w->close();
        EXPECT_FALSE(w->figuresRunning());
    });
    OpenAndWait(main, query);
    QApplication::processEvents();  // a report already queued is dropped
    EXPECT_EQ(shown.count(), 0);
    EXPECT_TRUE(w->overview().finds.empty());
    EXPECT_FALSE(w->isVisible());

    // Opened again, it makes the figures of the last scan.
    child<QAction>("mnuUebersicht")->trigger();
    ASSERT_TRUE(shown.count() == 1 || shown.wait(60000));
    ExpectShowingTheState();

    // Escape stops the figures of the next scan; the window stays, with the
    // previous figures and their rows.
    const std::size_t before = w->shownRows().size();
    AfterNextScan([&] {
        ASSERT_TRUE(w->figuresRunning());
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_FALSE(w->figuresRunning());
    });
    child<QCheckBox>("cboxStichtag")->click();
    WaitUntilIdle(main);
    QApplication::processEvents();
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->messageLabel()->text(), "Berechnung der Übersicht abgebrochen; sie zeigt den vorigen Stand.");
    EXPECT_EQ(w->shownRows().size(), before);
    EXPECT_EQ(w->overview().finds.size(), before);
    EXPECT_NE(fx.state.Rows.size(), before);
}

// Each scan's figures come with a copy of the district map: the same
// polygons keep what the map drew and read nothing of the map before; other
// polygons are drawn anew.
TEST(OverviewMapCopies, TheSamePolygonsKeepTheDrawingOthersRedrawIt)
{
    auto first = std::make_unique<DistrictMap>();
    first->SetPolygon(0, {{50.0, 7.0}, {50.2, 7.0}, {50.2, 7.3}, {50.0, 7.3}});
    ui::DistrictMapView map;
    map.resize(300, 300);
    map.setDistricts(*first);
    const QImage drawn = map.renderImage(map.size());
    const QPoint corner = map.positionOf({50.19, 7.01}).toPoint();
    EXPECT_EQ(map.districtAt(corner), 0);

    DistrictMap same = *first;
    map.setDistricts(same);
    first.reset();
    EXPECT_EQ(map.renderImage(map.size()), drawn);
    EXPECT_EQ(map.districtAt(corner), 0);

    DistrictMap other = same;
    other.SetPolygon(0, {{50.0, 7.0}, {50.2, 7.0}, {50.0, 7.3}});  // the corner cut off
    map.setDistricts(other);
    EXPECT_NE(map.renderImage(map.size()), drawn);
    EXPECT_EQ(map.districtAt(map.positionOf({50.19, 7.01}).toPoint()), 0);
    EXPECT_EQ(map.districtAt(map.positionOf({50.19, 7.29}).toPoint()), -1);
}

}  // namespace
}  // namespace ql::test

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#if QL_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#else
#include <QTextBrowser>
#include <QTextTable>
#endif

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "reports/nip_page.h"
#include "core/tables.h"
#include "scan/placemark.h"
#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/dialogs/NipView.h"
#include "ui/dialogs/TfrmFK.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmWeb.h"

namespace ql::test {
namespace {

const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records what would have gone to the desktop while alive.
struct ShellRecorder {
    std::vector<std::string> opened;
    ShellRecorder()
    {
        platform::SetShellOpenOverride([this](const std::string& file, const std::string&) {
            opened.push_back(file);
            return 42;
        });
    }
    ~ShellRecorder() { platform::SetShellOpenOverride({}); }
};

class ResultsWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fx.state.PolygonsPending = false;
        fx.createWindows();
        main = fx.windows->frmMain.get();
        lk = fx.windows->frmLK.get();
        web = fx.windows->frmWeb.get();
        main->show();
        ui::ErrorBoxHistory().clear();
    }

    // --- tally window ---

    struct TallyLabel {
        QString name, count;
        QColor nameColour, countColour;
    };
    // The two labels of a district, found by their names.
    TallyLabel tallyLabel(int district) const
    {
        const bool lk24 = district < LandkreisCount;
        const int k = lk24 ? district + 1 : district - 23;
        auto* name = lk->findChild<QLabel*>(QString(lk24 ? "lblLK%1" : "lblSK%1").arg(k));
        auto* count = lk->findChild<QLabel*>(QString(lk24 ? "lblLKAnz%1" : "lblSKAnz%1").arg(k));
        if (!name || !count) return {};
        return {name->text(), count->text(), name->palette().color(QPalette::WindowText),
                count->palette().color(QPalette::WindowText)};
    }
    QColor frameColour(const char* name) const
    {
        return lk->findChild<QGroupBox*>(name)->palette().color(QPalette::Window);
    }

    // Shows the tally window through the main window's button. `inspect` runs
    // while it is up, once it has been active for a while (long enough for a
    // second opening of the final-coordinates window to show); `onFinal` sees
    // the final-coordinates window. Returns what the modal answerer recorded.
    QStringList showTally(const std::function<void()>& inspect = {},
                          const std::function<void(ui::TfrmFK*)>& onFinal = {})
    {
        int activePolls = 0;
        bool finalClosed = false;
        int finalWindows = 0;
        QElapsedTimer clock;
        clock.start();
        ModalAnswerer answerer([&](QWidget* modal) {
            if (modal == lk) {
                if (finalClosed) {
                    // Back from the final-coordinates window the desktop activates
                    // the tally window again; that is no new showing.
                    finalClosed = false;
                    lk->activateWindow();
                    return true;
                }
                if ((!lk->isActiveWindow() || ++activePolls < 6) && clock.elapsed() < 5000) return true;
                EXPECT_TRUE(lk->isActiveWindow()) << "the tally window never became active";
                if (inspect) inspect();
                return false;
            }
            if (auto* fk = qobject_cast<ui::TfrmFK*>(modal)) {
                activePolls = 0;
                finalClosed = ++finalWindows == 1;  // a second one in this showing is a fault
                if (onFinal) onFinal(fk);
            }
            return false;
        });
        main->findChild<QPushButton*>("bbtnCheckRLP")->click();
        return answerer.seen();
    }

    void expectDistrict(int i, const QString& count, const QColor& colour)
    {
        const TallyLabel l = tallyLabel(i);
        EXPECT_EQ(l.name, QString::fromUtf8(DistrictNames[i])) << i;
        EXPECT_EQ(l.count, count) << i;
        EXPECT_EQ(l.nameColour, colour) << i;
        EXPECT_EQ(l.countColour, colour) << i;
    }

    // --- web window ---

    bool waitForLoad(QSignalSpy& spy, int ms = 20000)
    {
        if (spy.isEmpty() && !spy.wait(ms)) return false;
        return spy.takeFirst().at(0).toBool();
    }
    // What the view shows, asked the way each view allows: the page's
    // document through JavaScript in the embedded browser, the QTextDocument
    // in the simpler view. Rows count the heading row too.
#if QL_WEBENGINE
    QVariant evaluate(const QString& script)
    {
        QVariant result;
        bool done = false;
        auto* view = static_cast<QWebEngineView*>(web->browser()->content());
        view->page()->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 120000)) << script.toStdString();
        return result;
    }
    int rowCount()
    {
        return evaluate("document.querySelectorAll('tr').length").toInt();
    }
    QString cellText(int row, int col)
    {
        return evaluate(QString("document.querySelectorAll('tr')[%1].cells[%2].textContent").arg(row).arg(col))
            .toString();
    }
    QString linkOf(int row, int col)
    {
        return evaluate(QString("document.querySelectorAll('tr')[%1].cells[%2].firstChild.getAttribute('href')")
                            .arg(row)
                            .arg(col))
            .toString();
    }
    void clickLink(int row, int col)
    {
        evaluate(QString("document.querySelectorAll('tr')[%1].cells[%2].firstChild.click()").arg(row).arg(col));
    }
    QColor rowBackground(int row)
    {
        const QString css =
            evaluate(QString("getComputedStyle(document.querySelectorAll('tr')[%1]).backgroundColor").arg(row))
                .toString();
        const QStringList parts = css.mid(css.indexOf('(') + 1).chopped(1).split(',');
        return parts.size() == 3 ? QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt()) : QColor();
    }
#else
    QTextBrowser* textView() const
    {
        return static_cast<QTextBrowser*>(web->browser()->content());
    }
    QTextTable* table() const
    {
        const auto frames = textView()->document()->rootFrame()->childFrames();
        for (QTextFrame* f : frames)
            if (auto* t = qobject_cast<QTextTable*>(f)) return t;
        return nullptr;
    }
    int rowCount()
    {
        return table() ? table()->rows() : 0;
    }
    QString cellText(int row, int col)
    {
        QTextCursor c = table()->cellAt(row, col).firstCursorPosition();
        c.setPosition(table()->cellAt(row, col).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText();
    }
    // The first anchor inside a cell: its address and a point on it.
    std::pair<QString, QPoint> anchorIn(int row, int col)
    {
        const QTextTableCell cell = table()->cellAt(row, col);
        for (auto it = cell.begin(); !it.atEnd(); ++it)
            for (auto b = it.currentBlock().begin(); !b.atEnd(); ++b) {
                const QTextFragment f = b.fragment();
                if (!f.charFormat().isAnchor()) continue;
                QTextCursor c(textView()->document());
                c.setPosition(f.position() + f.length() / 2);
                return {f.charFormat().anchorHref(), textView()->cursorRect(c).center()};
            }
        return {};
    }
    QString linkOf(int row, int col)
    {
        return anchorIn(row, col).first;
    }
    void clickLink(int row, int col)
    {
        const QPoint at = anchorIn(row, col).second;
        ASSERT_EQ(textView()->anchorAt(at), linkOf(row, col)) << "no link under the point clicked";
        QTest::mouseClick(textView()->viewport(), Qt::LeftButton, {}, at);
    }
    QColor rowBackground(int row)
    {
        return table()->cellAt(row, 0).format().background().color();
    }
#endif
    // Gives the focus to a window and lets the activation arrive.
    static void activate(QWidget* w)
    {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == w->windowHandle(); }, 120000))
            << w->objectName().toStdString() << " never got the focus";
    }
    void addCache(const char* code, const char* name)
    {
        fx.state.NIPList.push_back(TNIPDatum::FromUtf8(code, name, "Traditional Cache",
                                                       "N 50° 00.000 E 007° 00.000", "50,7"));
        const std::string fileName = PlacemarkFileName(code);
        platform::WriteWholeFile(fx.state.TempDir + fileName, PlacemarkFileBytes(code, name, "50", "7"));
        fx.state.PlacemarkFiles.push_back(fileName);
        fx.state.NotInPolygonCount = static_cast<int>(fx.state.NIPList.size());
    }
    std::string pagePath() const { return fx.state.ProgramDir + "nip.html"; }
    // Opens the web window from the main window and waits for its page.
    bool showPage(QSignalSpy& loads)
    {
        main->lblWebNIPClick();
        return waitForLoad(loads);
    }
    // Loads a local page of our own into the view, as a link from the list would.
    bool loadOtherPage(QSignalSpy& loads)
    {
        const QString other = WriteFile(fx.programDir.filePath("other.html"), "<html><title>Andere</title></html>");
        web->browser()->load(QUrl::fromLocalFile(other));
        return waitForLoad(loads);
    }

    UiFixture fx;
    ui::TfrmMain* main = nullptr;
    ui::TfrmLK* lk = nullptr;
    ui::TfrmWeb* web = nullptr;
};

// ---- tally window -------------------------------------------------------------

TEST_F(ResultsWindowsTest, TallyBeforeAnyScanIsAllRedZero)
{
    EXPECT_EQ(lk->windowTitle(), "Liste Quenlorn Landkreis / Stadtkreis");
    EXPECT_EQ(lk->findChild<QGroupBox*>("gboxLK")->title(), " Landkreise ");
    EXPECT_EQ(lk->findChild<QGroupBox*>("gboxSK")->title(), " Stadtkreise ");
    const QStringList seen = showTally([&] {
        for (int i = 0; i < DistrictCount; ++i) expectDistrict(i, "0", Red);
        EXPECT_EQ(frameColour("gboxLK"), lk->palette().color(QPalette::Button));
        SaveScreenshot(lk, "tally_window_empty");
        QTest::keyClick(lk, Qt::Key_Escape);  // Escape closes it, as OK does
        EXPECT_FALSE(lk->isVisible());
    });
    EXPECT_EQ(seen, QStringList{"frmLK"});
}

TEST_F(ResultsWindowsTest, CtrlKInTheTallyWindowClosesItAndOpensTheOverview)
{
    const QStringList seen = showTally([&] {
        auto* entry = lk->findChild<QAction*>("mnuKreisuebersicht");
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(), QString::fromUtf8("Kreis\xC3\xBC" "bersicht..."));
        EXPECT_EQ(lk->contextMenuPolicy(), Qt::ActionsContextMenu);  // the same entry on the right button
        QTest::keyClick(lk, Qt::Key_K, Qt::ControlModifier);
        EXPECT_FALSE(lk->isVisible());
    });
    EXPECT_EQ(seen, QStringList{"frmLK"});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fx.windows->frmOverview && fx.windows->frmOverview->isVisible(); }, 120000));
    fx.windows->frmOverview->close();
}

TEST_F(ResultsWindowsTest, TallyWithThirtyFiveDistrictsOpensNoFinalWindow)
{
    for (int i = 0; i < DistrictCount; ++i) fx.state.DistrictTally[i] = 3 * i + 1;
    fx.state.DistrictTally[0] = 12345;  // shown plain, without a thousands separator
    fx.state.DistrictTally[30] = 0;     // Pirmasens, Stadtkreis row 7
    const QStringList seen = showTally([&] {
        for (int i = 0; i < DistrictCount; ++i)
            if (i == 30) expectDistrict(i, "0", Red);
            else expectDistrict(i, QString::number(fx.state.DistrictTally[i]), Green);
        EXPECT_EQ(lk->findChild<QLabel*>("lblSK7")->text(), "Pirmasens");
        SaveScreenshot(lk, "tally_window");
    });
    EXPECT_EQ(seen, QStringList{"frmLK"});
}

TEST_F(ResultsWindowsTest, AllDistrictsWithTheFilterOnOpenTheFinalWindowOncePerShowing)
{
    ShellRecorder shell;
    fx.state.DistrictTally.fill(2);
    int finalWindows = 0;
    auto onFinal = [&](ui::TfrmFK* fk) {
        ++finalWindows;
        EXPECT_TRUE(lk->isVisible());
        // The labels are rebuilt before the final-coordinates window opens.
        expectDistrict(35, "2", Green);
        EXPECT_EQ(fk->windowTitle(), "Finalkoordinaten");
        // The document goes to the desktop; the window stays open.
        auto* download = fk->findChild<QPushButton*>("sbtnDownloadFK");
        EXPECT_EQ(download->focusPolicy(), Qt::NoFocus);
        download->click();
        EXPECT_TRUE(fk->isVisible());
        QTest::keyClick(fk, Qt::Key_Escape);  // Escape closes it
        EXPECT_FALSE(fk->isVisible());
    };
    EXPECT_EQ(showTally({}, onFinal), (QStringList{"frmFK", "frmLK"}));
    EXPECT_EQ(finalWindows, 1);
    // Shown again: the final-coordinates window opens again, once.
    EXPECT_EQ(showTally({}, onFinal), (QStringList{"frmFK", "frmLK"}));
    EXPECT_EQ(finalWindows, 2);
    EXPECT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened.front(), "http://www.geocaching-rlp.de/download/pdf/GC7QWZR%20-%20QUENLORN.pdf");
}

TEST_F(ResultsWindowsTest, FilterOffShowsLightFramesAndADistrictThatLostItsFindsTurnsRedAgain)
{
    fx.state.DistrictTally.fill(4);
    fx.state.CutoffEnabled = false;
    EXPECT_EQ(showTally([&] {
        for (int i = 0; i < DistrictCount; ++i) expectDistrict(i, "4", Green);
        const QColor light = lk->palette().color(ui::TfrmLK::FilterOffFrameRole);
        EXPECT_NE(light, lk->palette().color(QPalette::Button));
        EXPECT_EQ(frameColour("gboxLK"), light);
        EXPECT_EQ(frameColour("gboxSK"), light);
    }),
              QStringList{"frmLK"});

    // The next scan, with the filter on, finds nothing in two districts.
    fx.state.DistrictTally[5] = 0;
    fx.state.DistrictTally[24] = 0;
    fx.state.CutoffEnabled = true;
    EXPECT_EQ(showTally([&] {
        expectDistrict(5, "0", Red);
        expectDistrict(24, "0", Red);
        expectDistrict(6, "4", Green);
        EXPECT_EQ(frameColour("gboxSK"), lk->palette().color(QPalette::Button));
    }),
              QStringList{"frmLK"});
}

// ---- web window ---------------------------------------------------------------

TEST_F(ResultsWindowsTest, WebWindowWritesThePageAndTheViewShowsItStyled)
{
    // The records and folder of the golden page (no files behind the links).
    fx.state.TempDir = "/tmp/Jürgen/";
    fx.state.NIPList = {
        TNIPDatum::FromUtf8("GC1A2B3", "Brücke am Rhein", "Traditional Cache", "N 50° 01.234 E 007° 30.000",
                            "50.020567,7.5"),
        TNIPDatum::FromUtf8("GC22222", "Tom &amp; Jerry <3 \"Lauf\">", "Unknown Cache",
                            "N 49° 30.000 E 008° 15.000", "49.5,8.25"),
        TNIPDatum::FromUtf8("GC33333", "Ende", "Multi-cache", "S 01° 30.000 W 002° 15.000", "-1.5,-2.25"),
    };
    fx.state.PlacemarkFiles = {"GC1A2B3.kml", "GC22222.kml", "GC33333.kml"};
    fx.state.NotInPolygonCount = 3;

    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    EXPECT_EQ(ReadBytes(pagePath()), ReadBytes(QL_GOLDEN_DIR "/nip_three.html"));
    EXPECT_EQ(web->windowTitle(), "Quenlorn: Nicht im Polygon!");
    EXPECT_EQ(web->browser()->title(), "Tessaro");
    EXPECT_EQ(web->browser()->url(), QUrl::fromLocalFile(QString::fromStdString(pagePath())));
    EXPECT_EQ(rowCount(), 4);
    // The page names no character set; its ANSI bytes read as Windows-1252.
    EXPECT_EQ(cellText(1, 1), "Brücke am Rhein");
    EXPECT_EQ(cellText(2, 1), "Tom & Jerry <3 \"Lauf\">");
    // rlp.css beside the page styles it: the rows alternate.
    EXPECT_EQ(rowBackground(1), QColor(255, 255, 255));
    EXPECT_EQ(rowBackground(2), QColor(200, 255, 200));
    EXPECT_EQ(rowBackground(3), QColor(255, 255, 255));
    QTest::qWait(300);
    SaveScreenshot(web, "web_window");
    // Escape closes it.
    web->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(web));
    QTest::keyClick(web, Qt::Key_Escape);
    EXPECT_FALSE(web->isVisible());
}

TEST_F(ResultsWindowsTest, SwitchingFromTheMainWindowRebuildsThePageOfTheLatestScan)
{
    addCache("GC1AAAA", "Erster Lauf");
    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    auto* back = web->findChild<QPushButton*>("btnWBBack");
    EXPECT_FALSE(back->isEnabled());

    // A page opened from the list (a local one, the test has no network).
    ASSERT_TRUE(loadOtherPage(loads));
    EXPECT_TRUE(back->isEnabled());

    // A second scan replaces the list and the placemark files whole.
    RemovePlacemarkFiles(fx.state);
    fx.state.NIPList.clear();
    addCache("GC2BBBB", "Zweiter Lauf");
    addCache("GC/3 CC", "Dritter");

    activate(main);
    EXPECT_TRUE(loads.isEmpty()) << "leaving the web window rebuilt it";
    activate(web);
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(web->browser()->title(), "Tessaro");
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(ReadBytes(pagePath()).find("GC1AAAA"), std::string::npos);
    // Row i links to the placemark file of its own cache, which exists.
    for (int row = 1; row <= 2; ++row) {
        const QString href = linkOf(row, 4);
        // file:///tmp/... here, file:///C:/... on Windows.
        const std::string root = fx.state.TempDir.starts_with('/') ? "file://" : "file:///";
        EXPECT_EQ(href, QString::fromStdString(root + fx.state.TempDir + fx.state.PlacemarkFiles[row - 1]));
        EXPECT_TRUE(QFileInfo::exists(ui::LocalFileOfLink(href))) << href.toStdString();
    }

    back->click();
    ASSERT_TRUE(waitForLoad(loads));
    EXPECT_EQ(web->browser()->title(), "Andere");

    // Closed and shown again: rebuilt.
    web->close();
    addCache("GC4DDDD", "Vierter");
    ASSERT_TRUE(showPage(loads));
    EXPECT_EQ(rowCount(), 4);
}

TEST_F(ResultsWindowsTest, FocusComingFromNoWindowOfTheProgramKeepsWhatTheViewShows)
{
    addCache("GC1AAAA", "Eins");
    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    ASSERT_TRUE(loadOtherPage(loads));

    // The focus leaves for another application: no window of ours has it.
    {
        QWidget elsewhere;
        elsewhere.show();
        activate(&elsewhere);
    }
    ASSERT_EQ(QGuiApplication::focusWindow(), nullptr);
    activate(web);
    QTest::qWait(300);
    EXPECT_TRUE(loads.isEmpty());
    EXPECT_EQ(web->browser()->title(), "Andere");
}

TEST_F(ResultsWindowsTest, APageThatCannotBeWrittenShowsTheErrorOnceAndTheViewKeepsItsPage)
{
    addCache("GC1AAAA", "Eins");
    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    const QUrl shown = web->browser()->url();

    fx.state.ProgramDir = fx.programDir.filePath("missing").toStdString() + "/";
    // When the box closes, the desktop gives the focus straight back to its
    // owner; the offscreen platform does not, so the test hands it over, once.
    // A second box would open inside that hand-over; `nested` answers it.
    int handBacks = 0;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (modal->objectName() != "ErrorBox" || handBacks++ > 0) return false;
        static_cast<QDialog*>(modal)->done(0);
        emit qGuiApp->focusWindowChanged(web->windowHandle());
        return true;
    });
    ModalAnswerer nested([&](QWidget*) { return handBacks == 0; });
    activate(main);
    web->activateWindow();
    QTest::qWait(500);
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_TRUE(ui::ErrorBoxHistory().first().startsWith(
        QString::fromStdString("Datei \"" + fx.state.ProgramDir + "nip.html\" kann nicht erstellt werden. ")))
        << ui::ErrorBoxHistory().first().toStdString();
    EXPECT_TRUE(loads.isEmpty());
    EXPECT_EQ(web->browser()->url(), shown);
}

TEST_F(ResultsWindowsTest, APlacemarkLinkGoesToTheDesktopInsteadOfTheView)
{
    ShellRecorder shell;
    addCache("GC1AAAA", "Eins");
    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    clickLink(1, 4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.opened.empty(); }, 120000));
    QTest::qWait(200);  // nothing else may follow
    EXPECT_EQ(shell.opened,
              std::vector<std::string>{Native(QString::fromStdString(fx.state.TempDir + "GC1AAAA.kml")).toStdString()});
    EXPECT_EQ(web->browser()->title(), "Tessaro");
    EXPECT_EQ(web->browser()->url(), QUrl::fromLocalFile(QString::fromStdString(pagePath())));
}

#if !QL_WEBENGINE
// The simpler view shows no web pages: the listing and the map go to the
// user's browser, and the page stays.
TEST_F(ResultsWindowsTest, ListingAndMapLinksGoToTheUsersBrowserAndThePageStays)
{
    ShellRecorder shell;
    addCache("GC1AAAA", "Eins");
    QSignalSpy loads(web->browser(), &ui::NipView::loadFinished);
    ASSERT_TRUE(showPage(loads));
    const QString map = linkOf(1, 3);
    EXPECT_TRUE(map.startsWith("http://")) << map.toStdString();
    clickLink(1, 0);
    clickLink(1, 3);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://coord.info/GC1AAAA",
                                                      QUrl(map).toString(QUrl::FullyEncoded).toStdString()}));
    EXPECT_TRUE(loads.isEmpty());
    EXPECT_EQ(web->browser()->title(), "Tessaro");
    EXPECT_FALSE(web->findChild<QPushButton*>("btnWBBack")->isEnabled());
}
#endif

}  // namespace
}  // namespace ql::test

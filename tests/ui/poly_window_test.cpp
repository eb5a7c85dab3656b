// The polygon loader window over the shipped folder and over folders with a
// missing, a broken and an unreadable file.

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/tables.h"
#include "platform/platform.h"
#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "state/app_state.h"
#include "ui/main/TfrmMain.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/common/Windows.h"

namespace ql::test {
namespace {

namespace fs = std::filesystem;

const QColor Red(255, 0, 0), Green(0, 128, 0), Navy(0, 0, 128);

class PolyWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fx.createWindows();
        poly = fx.windows->frmPoly.get();
        poly->setTimingForTests(2, 20);
        ui::ErrorBoxHistory().clear();
    }

    QPushButton* button() { return poly->findChild<QPushButton*>("bbtnOK"); }
    QTextEdit* log() { return poly->findChild<QTextEdit*>("rtfPoly"); }
    QProgressBar* bar() { return poly->findChild<QProgressBar*>("pbarPoly"); }

    // The text colour of the first fragment of each log line.
    QList<QPair<QString, QColor>> ColouredLines()
    {
        QList<QPair<QString, QColor>> lines;
        for (QTextBlock b = log()->document()->begin(); b.isValid(); b = b.next()) {
            QColor colour;
            if (b.begin() != b.end()) colour = b.begin().fragment().charFormat().foreground().color();
            lines.append({b.text(), colour});
        }
        return lines;
    }

    // Shows the window modally. The countdown's captions are recorded; onTick
    // may act at each tick, onIdle whenever the window is the active modal one.
    void Exec(std::function<void(const QString&)> onTick = {}, std::function<void()> onIdle = {})
    {
        auto tick = QObject::connect(poly->findChild<QTimer*>("tmrClose"), &QTimer::timeout, poly, [&, onTick] {
            captions.append(button()->text());
            if (onTick) onTick(button()->text());
        });
        ModalAnswerer answerer([&](QWidget* modal) {
            if (modal != poly) return false;
            if (onIdle) onIdle();
            return true;
        });
        // Only a guard against a window that never closes: the test waits for
        // the close itself, which a sanitizer build on a busy machine reaches
        // minutes late.
        QTimer::singleShot(600000, poly, [this] {
            ADD_FAILURE() << "the window did not close";
            poly->hide();
        });
        poly->exec();
        QObject::disconnect(tick);
        seenBoxes = answerer.seen();
    }

    // A polygon folder with copies of the shipped files.
    std::string CopyOfShippedFolder()
    {
        const fs::path dir = fs::path(fx.programDir.path().toStdString()) / "polygons_copy";
        fs::create_directories(dir);
        for (const auto& entry : fs::directory_iterator(fs::path(fx.state.ProgramDir) / "rlp_polygons"))
            fs::copy_file(entry.path(), dir / entry.path().filename());
        return dir.string() + "/";
    }

    UiFixture fx;
    ui::TfrmPoly* poly = nullptr;
    QStringList captions;
    QStringList seenBoxes;
};

QStringList CountdownCaptions()
{
    QStringList c;
    for (int s = 10; s >= 0; --s) c << QStringLiteral("OK - %1s").arg(s);
    return c;
}

TEST_F(PolyWindowTest, StartsEmptyWithItsDesign)
{
    EXPECT_EQ(poly->windowTitle(), "Polygon-Daten ermitteln");
    EXPECT_EQ(poly->findChild<QGroupBox*>("GroupBox1")->title(), " Stadt- und Landkreise ");
    EXPECT_TRUE(log()->toPlainText().isEmpty());
    EXPECT_TRUE(log()->isReadOnly());
    EXPECT_FALSE(button()->isEnabled());
    EXPECT_TRUE(button()->isDefault());
    EXPECT_EQ(button()->text(), "OK");
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_EQ(bar()->maximum(), 100);
    EXPECT_TRUE(poly->LoaderRunPending());
    EXPECT_FALSE(poly->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(poly->windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const TPolyArray& p : fx.state.PolyTable) EXPECT_TRUE(p.empty());
}

TEST_F(PolyWindowTest, FullRunLogsEveryDistrictLoadsThemAndCountsDown)
{
    QImage screenshot;
    Exec([&](const QString& caption) {
        if (caption == "OK - 10s") screenshot = SaveScreenshot(poly, "loader_window");
    });

    QFile golden(QStringLiteral(QL_GOLDEN_DIR "/loader_log.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(log()->toPlainText(), QString::fromUtf8(golden.readAll()));

    const auto lines = ColouredLines();
    ASSERT_EQ(lines.size(), 1 + 2 * 24 + 1 + 1 + 2 * 12 + 1);
    EXPECT_EQ(lines[0], qMakePair(QStringLiteral("LANDKREISE in Rheinland-Pfalz"), Red));
    EXPECT_EQ(lines[1], qMakePair(QStringLiteral("Ahrweiler : Dateiname -> Ahrweiler.txt"), Navy));
    EXPECT_EQ(lines[2], qMakePair(QStringLiteral("Landkreis Ahrweiler OK!"), Green));
    EXPECT_EQ(lines[49].first, "");
    EXPECT_EQ(lines[50], qMakePair(QStringLiteral("STADTKREISE in Rheinland-Pfalz"), Red));
    EXPECT_EQ(lines[74], qMakePair(QStringLiteral("Stadt Zweibrücken OK!"), Green));
    for (int i = 0; i < 24; ++i) EXPECT_EQ(lines[2 + 2 * i].second, Green) << lines[2 + 2 * i].first.toStdString();

    EXPECT_EQ(bar()->value(), 100);  // 108 is past the bar's end
    EXPECT_EQ(captions, CountdownCaptions());
    EXPECT_FALSE(poly->isVisible());
    EXPECT_FALSE(poly->LoaderRunPending());
    EXPECT_EQ(poly->PolyIndex(), 36);
    for (const TPolyArray& p : fx.state.PolyTable) EXPECT_GT(p.size(), 3u);
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    ASSERT_FALSE(screenshot.isNull());
    EXPECT_EQ(screenshot.width(), qRound(poly->width() * poly->devicePixelRatioF()));
    // The log's last lines, with their green " OK!", show in the picture.
    EXPECT_TRUE(HasColour(screenshot, AreaOf(screenshot, poly, log()->viewport()), Green, 30));

    // Shown again: nothing is read, the log stays, the countdown starts over.
    const QString before = log()->toPlainText();
    captions.clear();
    Exec([&](const QString& caption) {
        if (caption == "OK - 8s") QTest::mouseClick(button(), Qt::LeftButton);
    });
    EXPECT_EQ(log()->toPlainText(), before);
    EXPECT_EQ(captions, (QStringList{"OK - 10s", "OK - 9s", "OK - 8s"}));
    EXPECT_FALSE(poly->isVisible());
}

TEST_F(PolyWindowTest, CloseRequestsWhileLoadingAreDropped)
{
    poly->setTimingForTests(15, 20);
    bool triedWhileLoading = false;
    bool stayedOpen = false;
    Exec([&](const QString&) { QTest::keyClick(button(), Qt::Key_Return); },
         [&] {
             if (!poly->isLoading() || triedWhileLoading) return;
             triedWhileLoading = true;
             QTest::keyClick(poly, Qt::Key_Escape);
             poly->close();
             poly->reject();
             stayedOpen = poly->isVisible() && poly->isLoading();
         });
    EXPECT_TRUE(triedWhileLoading);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(poly->LoaderRunPending());
    // Enter pressed OK at the first tick.
    EXPECT_EQ(captions, QStringList{"OK - 10s"});
}

TEST_F(PolyWindowTest, HeaderMustNameTheDistrictExactly)
{
    const std::string dir = CopyOfShippedFolder();
    WriteFile(QString::fromStdString(dir + "Ahrweiler.txt"), "LANDKREIS AHRWEILER\r\n50,7\r\n51,7\r\n51,8\r\n");
    WriteFile(QString::fromStdString(dir + "Kusel.txt"), "Kreis Kusel (Pfalz)\r\n50,7\r\n51,7\r\n51,8\r\n");
    fx.state.PolygonDir = dir;
    Exec([&](const QString&) { poly->bbtnOKClick(); });
    const auto lines = ColouredLines();
    EXPECT_EQ(lines[2].first, "");
    EXPECT_EQ(lines[2 + 2 * 12], qMakePair(QStringLiteral("Kreis Kusel (Pfalz) OK!"), Green));
    // A header without the name is still read.
    EXPECT_EQ(fx.state.PolyTable[0].size(), 3u);
    EXPECT_FALSE(poly->LoaderRunPending());
}

class FailedRunTest : public PolyWindowTest {
protected:
    // Runs the loader over `dir`; once the error has shown, notes the button
    // and closes the window as the user would, with the title bar.
    void ExecUntilError(const std::string& dir)
    {
        fx.state.PolygonDir = dir;
        Exec({}, [&] {
            if (ui::ErrorBoxHistory().isEmpty() || poly->isLoading()) return;
            buttonEnabledAfterError = button()->isEnabled();
            captionAfterError = button()->text();
            poly->close();
        });
    }
    // One error shown, the user not stuck, the run to be done again from `index`.
    void ExpectStoppedAt(int index)
    {
        EXPECT_EQ(ui::ErrorBoxHistory().size(), 1);
        EXPECT_TRUE(buttonEnabledAfterError);
        EXPECT_TRUE(poly->LoaderRunPending());
        EXPECT_EQ(poly->PolyIndex(), index);
    }
    bool buttonEnabledAfterError = true;
    QString captionAfterError;
};

TEST_F(FailedRunTest, MissingFileEndsTheRunAndKeepsEarlierPolygons)
{
    const std::string dir = CopyOfShippedFolder();
    fs::remove(dir + "Bad Kreuznach.txt");  // district 4
    ExecUntilError(dir);
    ExpectStoppedAt(4);
#ifdef _WIN32
    const std::string reason = platform::ErrorText(2);  // ERROR_FILE_NOT_FOUND
#else
    const std::string reason = "No such file or directory";
#endif
    EXPECT_EQ(ui::ErrorBoxHistory().value(0),
              ui::ErrorBoxText("Datei " + dir + "Bad Kreuznach.txt kann nicht geöffnet werden. " + reason));
    EXPECT_EQ(captionAfterError, "OK");
    EXPECT_TRUE(captions.isEmpty());
    for (int i = 0; i < DistrictCount; ++i) EXPECT_EQ(fx.state.PolyTable[i].empty(), i >= 4) << i;
    // The missing file's line is followed by a blank one, and the log ends there.
    const QStringList lines = log()->toPlainText().split('\n');
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QStringList{"Bad Kreuznach : Dateiname -> Bad Kreuznach.txt", "", ""}));
}

TEST_F(FailedRunTest, BrokenFileEndsTheRunAndTheNextShowingStartsOver)
{
    const std::string dir = CopyOfShippedFolder();
    const QString trier = QString::fromStdString(dir + "Trier.txt");  // district 33
    QFile original(trier);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    original.close();
    WriteFile(trier, "Stadt Trier\r\n49.75,6.6\r\n49.7\t6.6,1\r\n");
    ExecUntilError(dir);
    ExpectStoppedAt(33);
    EXPECT_EQ(ui::ErrorBoxHistory().value(0), "'6.6,1' ist kein gültiger Gleitkommawert.");
    EXPECT_FALSE(fx.state.PolyTable[32].empty());
    EXPECT_TRUE(fx.state.PolyTable[33].empty());
    EXPECT_EQ(bar()->value(), 100);

    // Repaired and shown again: the run starts from the first file, below the old lines.
    WriteFile(trier, good.toStdString());
    const QString failedLog = log()->toPlainText();
    ui::ErrorBoxHistory().clear();
    Exec([&](const QString&) { poly->bbtnOKClick(); });
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
    EXPECT_FALSE(poly->LoaderRunPending());
    EXPECT_EQ(poly->PolyIndex(), 36);
    EXPECT_TRUE(log()->toPlainText().startsWith(failedLog + "LANDKREISE in Rheinland-Pfalz\n"));
    for (const TPolyArray& p : fx.state.PolyTable) EXPECT_FALSE(p.empty());
}

TEST_F(FailedRunTest, UnreadableFileShowsTheFileErrorThenTheOpenError)
{
#ifdef _WIN32
    GTEST_SKIP() << "reads a Linux pseudo-file through a symbolic link; Windows has neither";
#endif
    if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc";
    const std::string dir = CopyOfShippedFolder();
    fs::remove(dir + "Ahrweiler.txt");
    // Reading a process's memory file from offset 0 fails with an I/O error.
    fs::create_symlink("/proc/self/mem", dir + "Ahrweiler.txt");
    ExecUntilError(dir);
    ExpectStoppedAt(0);

    ASSERT_GE(seenBoxes.size(), 2);
    EXPECT_EQ(seenBoxes[0], "FileErrorBox|" + ui::ApplicationTitle + "|Schwerwiegender Dateifehler !");
    EXPECT_TRUE(ui::ErrorBoxHistory().value(0).startsWith(
        QString::fromStdString("Datei " + dir + "Ahrweiler.txt kann nicht geöffnet werden. ")));
}

TEST_F(FailedRunTest, AfterAFailedLoadEscapeClosesTheLoaderAndTheWindowsSayWhy)
{
    fx.state.PolygonDir = fx.programDir.filePath("fehlt").toStdString() + "/";
    bool escaped = false;
    Exec({}, [&] {
        if (ui::ErrorBoxHistory().isEmpty() || poly->isLoading() || escaped) return;
        escaped = true;
        buttonEnabledAfterError = button()->isEnabled();
        QTest::keyClick(poly, Qt::Key_Escape);
    });
    EXPECT_TRUE(escaped);
    EXPECT_TRUE(buttonEnabledAfterError);
    EXPECT_FALSE(poly->isVisible());
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_EQ(QString::fromStdString(fx.state.PolygonLoadFailure), ui::ErrorBoxHistory().first());

    // The main window's status line and the overview say that the boundaries are missing, and why.
    ui::TfrmMain* main = fx.windows->frmMain.get();
    main->showBoundaryState();
    const QString why = "Kreisgrenzen nicht geladen: " + ui::ErrorBoxHistory().first();
    EXPECT_EQ(main->statusBar()->currentMessage(), why + " (Extras: Kreisgrenzen neu laden)");
    fx.state.Rows.resize(2);  // a scan without boundaries
    main->showBoundaryState();
    EXPECT_EQ(main->statusBar()->currentMessage(),
              why + " Die Funde sind keinem Kreis zugeordnet. (Extras: Kreisgrenzen neu laden)");
    fx.state.Rows.clear();
    ui::TfrmOverview overview(fx.state);
    EXPECT_TRUE(overview.statusLabel()->text().startsWith(why)) << overview.statusLabel()->text().toStdString();
    auto* reload = main->findChild<QAction*>("mnuKreisgrenzen");
    ASSERT_NE(reload, nullptr);
    EXPECT_EQ(reload->text(), "Kreisgrenzen neu laden");
    EXPECT_TRUE(main->findChild<QMenu*>("Extras1")->actions().contains(reload));

    // Loaded again from a good folder: the state and the status line clear.
    fx.state.PolygonDir = CopyOfShippedFolder();
    ui::ErrorBoxHistory().clear();
    poly->RequestRun();
    Exec([&](const QString&) { poly->bbtnOKClick(); });
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
    EXPECT_TRUE(fx.state.PolygonLoadFailure.empty());
    main->showBoundaryState();
    EXPECT_EQ(main->statusBar()->currentMessage(), "");
    // Escape keeps a successful loader open, as before.
    bool stayed = false;
    Exec([&](const QString&) {
        QTest::keyClick(poly, Qt::Key_Escape);
        stayed = poly->isVisible();
        poly->bbtnOKClick();
    });
    EXPECT_TRUE(stayed);
}

}  // namespace
}  // namespace ql::test

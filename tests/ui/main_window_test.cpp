#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "core/tables.h"
#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmWeb.h"

namespace ql::test {
namespace {

// A My Finds header and nothing else, in the real line layout.
std::string MyFindsQuery()
{
    return testquery::MyFindsQuery("2011-06-27T02:11:21Z");
}

using MainWindowTest = MainWindowFixture;

// Elsewhere than on Windows "*.*" would list only names with a dot.
#ifdef Q_OS_WIN
const QString AllFilesFilter = QStringLiteral("Alle Dateien (*.*)");
#else
const QString AllFilesFilter = QStringLiteral("Alle Dateien (*)");
#endif

TEST_F(MainWindowTest, StartsWithItsDesignTexts)
{
    EXPECT_EQ(main->windowTitle(), "Quenlorn Polygonberechnung");
    EXPECT_EQ(text("lblAnzahlCache"), "0");
    EXPECT_EQ(text("lblAnzahlNIP"), "0");
    EXPECT_EQ(text("lblDateiname"), "");
    EXPECT_FALSE(child<QLabel>("lblReady")->isVisible());
    EXPECT_TRUE(child<QCheckBox>("cboxStichtag")->isChecked());
    auto* list = child<QTableView>("ListView1");
    const int widths[] = {100, 25, 300, 35, 35, 100, 200, 120, 120};
    for (int c = 0; c < 9; ++c) EXPECT_EQ(list->columnWidth(c), widths[c]) << c;
    EXPECT_EQ(list->model()->headerData(6, Qt::Horizontal).toString(), "Land-/Stadtkreis");
    EXPECT_EQ(child<QAction>("FileOpen1")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(child<QAction>("CheckAction")->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(fx.state.PolygonDir, fx.state.ProgramDir + std::string(PolygonSubfolder));
}

TEST_F(MainWindowTest, OpeningAMyFindsQueryShowsNameDateAndDone)
{
    const QString path = WriteFile(fx.programDir.filePath("finds.gpx"), MyFindsQuery());
    OpenAndWait(main, path);
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    EXPECT_EQ(text("lblDateiname"), Native(path));
    EXPECT_EQ(text("lblQueryDatum"), "  2011-06-27 - 02:11:21Z");
    EXPECT_EQ(text("lblReady"), "FERTIG !");
    EXPECT_TRUE(child<QLabel>("lblReady")->isVisible());
    EXPECT_EQ(child<QProgressBar>("pbProgress")->value(), 100);
    EXPECT_EQ(text("lblAnzahlCache"), "0");
    EXPECT_EQ(child<QLabel>("lblWebNIP")->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(MainWindowTest, OpenDialogStartsInTheProgramFolderWithTheThreeFilters)
{
    const QString path = WriteFile(fx.programDir.filePath("finds.gpx"), MyFindsQuery());
    QString folder;
    QStringList filters;
    int attempts = 0;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) return false;
        if (++attempts > 1) {  // the dialog refused the file: end the test's wait
            static_cast<QDialog*>(dialog)->reject();
            return true;
        }
        folder = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        // Typed into the name field, as a user would.
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
        static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept checks the chosen file
        return true;
    });
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(attempts, 1) << answerer.seen().join(" / ").toStdString();
    EXPECT_EQ(folder + "/", QString::fromStdString(fx.state.ProgramDir));
    EXPECT_EQ(filters, (QStringList{"ZIP-Datei (*.zip)", "GPX-Datei (*.gpx)", AllFilesFilter}));
    EXPECT_EQ(text("lblDateiname"), Native(path));
}

TEST_F(MainWindowTest, AnotherFileShowsTheErrorBoxAndChangesNothingElse)
{
    OpenAndWait(main, WriteFile(fx.programDir.filePath("finds.gpx"), MyFindsQuery()));
    std::string other = MyFindsQuery();
    other.replace(other.find("My Finds"), 8, "Regular");
    const QString otherPath = WriteFile(fx.programDir.filePath("other.gpx"), other);
    ModalAnswerer answerer;
    OpenAndWait(main, otherPath);
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_EQ(answerer.seen().first(), "NotMyFindsBox|Fehler| Fehler !  Das ist keine MyFinds Query - Datei .");
    EXPECT_EQ(text("lblDateiname"), Native(otherPath));
    EXPECT_EQ(text("lblQueryDatum"), "  2011-06-27 - 02:11:21Z");
    EXPECT_EQ(child<QLabel>("lblWebNIP")->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, TextsFromTheFileAreShownAsTheyStandNeverAsMarkup)
{
    testquery::Cache cache;
    cache.lat = "<b>49.5</b>";
    const std::string query = testquery::MyFindsQuery("<b>2011-06-27T02:11:21Z</b>", {cache});
    bool plainBox = false;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) plainBox = box->textFormat() == Qt::PlainText;
        return false;
    });
    OpenAndWait(main, WriteFile(fx.programDir.filePath("marked.gpx"), query));
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_EQ(ui::ErrorBoxHistory().first(), "'<b>49.5</b>' ist kein gültiger Gleitkommawert.");
    EXPECT_TRUE(plainBox);
    EXPECT_EQ(text("lblQueryDatum"), "  <b>2011-06-27 - 02:11:21Z</b>");
    EXPECT_EQ(child<QLabel>("lblQueryDatum")->textFormat(), Qt::PlainText);
}

TEST_F(MainWindowTest, ATwoLineFileEndsWithTheIndexError)
{
    ModalAnswerer answerer;
    OpenAndWait(main, WriteFile(fx.programDir.filePath("two.gpx"), "<?xml?>\r\n<gpx>\r\n"));
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_EQ(ui::ErrorBoxHistory().first(), "Listenindex überschreitet das Maximum (2)");
    EXPECT_EQ(answerer.seen().first(), "ErrorBox|Quenlorn Polygonberechnung|Listenindex überschreitet das Maximum (2)");
}

TEST_F(MainWindowTest, AMissingFileKeepsTheLoadedLines)
{
    OpenAndWait(main, WriteFile(fx.programDir.filePath("finds.gpx"), MyFindsQuery()));
    ModalAnswerer answerer;
    OpenAndWait(main, fx.programDir.filePath("missing.gpx"));
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_TRUE(ui::ErrorBoxHistory().first().startsWith("Datei " + Native(fx.programDir.filePath("missing.gpx")) +
                                                         " kann nicht geöffnet werden. "));
    EXPECT_EQ(fx.state.QueryLines.Size(), 10u);
}

TEST_F(MainWindowTest, CutoffBoxRescansAndReenablesCheckRlpEvenWhenTheScanFails)
{
    auto* box = child<QCheckBox>("cboxStichtag");
    auto* check = child<QPushButton>("bbtnCheckRLP");
    // Before any file: the empty lines are scanned.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    WaitUntilIdle(main);
    EXPECT_FALSE(fx.state.CutoffEnabled);
    EXPECT_EQ(text("lblAnzahlCache"), "0");
    EXPECT_TRUE(check->isEnabled());

    // Lines whose only waypoint has no closing line: the scan reads past the end.
    fx.state.QueryLines = QueryText::FromBytes(MyFindsQuery() + "\r\n  <wpt lat=\"1\" lon=\"2\">\r\n");
    // The failed re-scan ends, Check RLP is usable again, then the error box shows.
    QStringList stateWhileBoxOpen;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (modal->objectName() == QLatin1String("ErrorBox"))
            stateWhileBoxOpen << (check->isEnabled() ? "enabled" : "disabled");
        return false;
    });
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    WaitUntilIdle(main);
    EXPECT_TRUE(fx.state.CutoffEnabled);
    EXPECT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_EQ(stateWhileBoxOpen, QStringList{"enabled"});
    EXPECT_TRUE(check->isEnabled());
}

TEST_F(MainWindowTest, CheckActionFlipsItsMarkAndTheButtonLeavesItAlone)
{
    ModalAnswerer answerer;
    auto* action = child<QAction>("CheckAction");
    EXPECT_FALSE(action->isChecked());
    action->trigger();
    EXPECT_TRUE(action->isChecked());
    child<QPushButton>("bbtnCheckRLP")->click();
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(answerer.seen().count("frmLK"), 2);
}

TEST_F(MainWindowTest, GrowingKeepsButtonsAtTheBottomAndStretchesTheList)
{
    auto* tabs = main->findChild<QWidget*>("PageControl1");
    auto* open = child<QPushButton>("bbtnOpen");
    auto* client = main->centralWidget();
    const int listHeight = tabs->height();
    const int openGap = client->height() - open->geometry().bottom();
    main->resize(main->width() + 200, main->height() + 150);
    QApplication::processEvents();
    EXPECT_EQ(tabs->height(), listHeight + 150);
    EXPECT_EQ(client->height() - open->geometry().bottom(), openGap);
    main->resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(main->width(), main->minimumWidth());
}

TEST_F(MainWindowTest, ListingAndHelpGoToTheDesktop)
{
    QStringList opened;
    platform::SetShellOpenOverride([&](const std::string& file, const std::string&) {
        opened << QString::fromStdString(file);
        return 42;
    });
    QTest::mouseClick(main->findChild<QWidget*>("SpeedButton1"), Qt::LeftButton);
    child<QAction>("mnuHilfe")->trigger();
    platform::SetShellOpenOverride({});
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], "http://coord.info/GC7QWZR");
    EXPECT_TRUE(opened[1].endsWith(Native("hilfe/index.html"))) << opened[1].toStdString();
}

TEST_F(MainWindowTest, NotInPolygonLinkDoesNothingWithoutSuchFinds)
{
    auto* link = child<QLabel>("lblWebNIP");
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_FALSE(fx.windows->frmWeb->isVisible());
    fx.state.NotInPolygonCount = 1;
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_TRUE(fx.windows->frmWeb->isVisible());
    fx.windows->frmWeb->close();
}

TEST_F(MainWindowTest, ScreenshotShowsTheWholeWindowInItsColours)
{
    const QImage shot = SaveScreenshot(main, "main_window");
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.width(), qRound(main->width() * main->devicePixelRatioF()));
    EXPECT_EQ(shot.height(), qRound(main->height() * main->devicePixelRatioF()));
    // The cut-off date in red, "Anzahl Founds:" in red, "Nicht im Polygon:" in orange.
    EXPECT_TRUE(HasColour(shot, AreaOf(shot, main, child<QLabel>("Label1")), QColor(255, 0, 0)));
    EXPECT_TRUE(HasColour(shot, AreaOf(shot, main, child<QLabel>("lblWebNIP")), QColor(255, 128, 0)));
    EXPECT_FALSE(HasColour(shot, AreaOf(shot, main, child<QLabel>("lblWebNIP")), QColor(255, 0, 0), 20));
}

TEST_F(MainWindowTest, AllFilesFilterListsAQuerySavedWithoutExtension)
{
#ifdef _WIN32
    // The program shows the dialog of Windows there, which lists every file
    // for "*.*"; Qt's own dialog, the only one offscreen, matches it literally.
    // scripts/test-windows.sh photographs the program's open dialog under Wine
    // with a query without extension in the folder.
    GTEST_SKIP() << "the program's open dialog on Windows is the system's, checked by scripts/test-windows.sh";
#endif
    WriteFile(fx.programDir.filePath("meine-funde"), MyFindsQuery());
    WriteFile(fx.programDir.filePath("finds.gpx"), MyFindsQuery());
    QFileDialog dialog(main);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    main->FileOpen1BeforeExecute(dialog);
    EXPECT_EQ(dialog.selectedNameFilter(), "ZIP-Datei (*.zip)");
    dialog.selectNameFilter(AllFilesFilter);
    dialog.show();
    auto* list = dialog.findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    auto listed = [&] {
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            if (!list->isRowHidden(r)) names << list->model()->index(r, 0, list->rootIndex()).data().toString();
        return names;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed().contains("finds.gpx"); }, 120000))
        << listed().join(",").toStdString();
    EXPECT_TRUE(listed().contains("meine-funde")) << listed().join(",").toStdString();
    dialog.close();
}

}  // namespace
}  // namespace ql::test

// The program itself, started as a process by the window tests, with a short
// script run once the main window shows:
//   scripted_program quit QUERYFILE   opens the query, opens the overview,
//                                     then chooses "Beenden" in the main window
//   scripted_program start            chooses "Beenden" at once
//   scripted_program quit-reading QUERYFILE
//                                     opens the query and chooses "Beenden" as
//                                     soon as the reading (or extraction) starts
//   scripted_program quit-scanning QUERYFILE
//                                     the same as soon as the scan starts
//   scripted_program quit-candidates QUERYFILE LIST
//                                     opens the query and the overview, starts
//                                     reading the candidate list LIST, and
//                                     chooses "Beenden" while it is read
// The quitting modes say when "Beenden" was chosen ("quit_at_ns=", the
// steady clock's count), so that the caller can tell how long the end took.
//   scripted_program cancel-shots FIRST SECOND FOLDER
//                                     opens FIRST, then SECOND; once the status
//                                     line offers "Abbrechen" photographs the
//                                     window, stops, photographs it again
//   scripted_program overview QUERYFILE PNG [PICTURE [CANDIDATES...]]
//                                     opens the query and the overview, tells
//                                     whether the overview fits the screen,
//                                     how much of it the map keeps and whether
//                                     anything covers a district's label
//                                     point, loads the candidate lists, saves
//                                     a screenshot with the planner's tab and
//                                     the picture "Bild speichern..." writes,
//                                     then ends
//   scripted_program windows [QUERYFILE] DIR
//                                     shows each window of a fixed design,
//                                     tells whether it fits the screen and
//                                     saves a screenshot of it in DIR
// What the script saw goes to stdout, one "name=value" a line.

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "state/app_state.h"
#include "ui/common/Program.h"
#include "ui/dialogs/TfrmFK.h"
#include "ui/dialogs/TfrmInfo.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/dialogs/TfrmWeb.h"
#include "ui/common/Windows.h"
#include "ui/main/TfrmMain.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/MapLegend.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/planner/CandidatePanel.h"

namespace {

// Whether every visible button of the window lies inside it.
bool ButtonsInside(QWidget* w)
{
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->isVisible() && !w->rect().contains(QRect(b->mapTo(w, QPoint(0, 0)), b->size()))) return false;
    return true;
}

// How many districts' label points lie inside the map, and how many of those
// something else of the window covers (the legend band, the side).
void PrintLabels(ql::ui::TfrmOverview* w, const char* name)
{
    ql::ui::DistrictMapView* map = w->map();
    const QRect band(w->legendBand()->mapTo(w, QPoint(0, 0)), w->legendBand()->size());
    QWidget* side = w->splitter()->widget(1);
    const QRect sideRect(side->mapTo(w, QPoint(0, 0)), side->size());
    int inside = 0, covered = 0;
    for (int d = 0; d < ql::DistrictCount; ++d) {
        const QPoint at = map->labelPosition(d).toPoint();
        if (!map->rect().contains(at)) continue;
        ++inside;
        const QPoint inWindow = map->mapTo(w, at);
        covered += band.contains(inWindow) || sideRect.contains(inWindow);
    }
    std::printf("%s_labels_inside=%d %s_labels_covered=%d\n", name, inside, name, covered);
}

// The map's share of the window, in per cent of the area.
int MapShare(ql::ui::TfrmOverview* w)
{
    const QSize map = w->map()->size();
    return static_cast<int>(100.0 * map.width() * map.height() / (double(w->width()) * w->height()));
}

// Shows a window of a fixed design (without waiting for it), tells whether
// it fits the screen and saves its picture.
void CheckWindow(QWidget* window, const QString& dir)
{
    window->show();
    QApplication::processEvents();
    const QRect available = window->screen()->availableGeometry();
    const std::string name = window->objectName().toStdString();
    std::printf("%s_frame=%d,%d %dx%d\n", name.c_str(), window->frameGeometry().x(), window->frameGeometry().y(),
                window->frameGeometry().width(), window->frameGeometry().height());
    std::printf("%s_fits=%d\n", name.c_str(), available.contains(window->frameGeometry()) ? 1 : 0);
    if (!dir.isEmpty()) window->grab().save(dir + "/" + window->objectName() + ".png");
    window->hide();
}

}  // namespace

namespace {
// Says on stdout when the loader window shows.
class ShowWatch : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            std::printf("loader=1\n");
            std::fflush(stdout);
        }
        return QObject::eventFilter(watched, event);
    }
};

// Says that "Beenden" is chosen now.
void PrintQuitRequest()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("quit=1\nquit_at_ns=%lld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
}

// Handles events until the main window's step has ended.
void WaitForStep(ql::ui::TfrmMain* main)
{
    if (!main->busy()) return;
    QEventLoop wait;
    QObject::connect(main, &ql::ui::TfrmMain::stepEnded, &wait, &QEventLoop::quit);
    wait.exec();
}
}  // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const QString query = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString picture = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString saved = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    QStringList candidates;
    for (int i = 5; i < argc; ++i) candidates << QString::fromLocal8Bit(argv[i]);
    return ql::ui::RunProgram(argc, argv, [&](ql::ui::Windows& windows, ql::AppState&) {
        ql::ui::TfrmMain* main = windows.frmMain.get();
        windows.frmPoly->setTimingForTests(0, 1);
        if (mode == "quit-reading" || mode == "quit-scanning") {
            windows.frmPoly->installEventFilter(new ShowWatch(main));
            QObject::connect(main, &ql::ui::TfrmMain::scanFinished, [] {
                std::printf("scan=1\n");
                std::fflush(stdout);
            });
            // The request is queued when the step starts: it comes before
            // anything the step could report.
            QObject::connect(main, &ql::ui::TfrmMain::stepStarted, main, [main, mode](bool scanning) {
                if (scanning != (mode == "quit-scanning")) return;
                QTimer::singleShot(0, main, [main] {
                    PrintQuitRequest();
                    main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
                });
            });
            QTimer::singleShot(0, main, [main, query] { main->FileOpen1Accept(query); });
            return;
        }
        if (mode == "quit-candidates") {
            const QString list = picture;
            QTimer::singleShot(0, main, [main, &windows, query, list] {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->mnuUebersichtClick();
                ql::ui::CandidatePanel* planner = windows.frmOverview->planner();
                planner->LoadFiles({list});
                std::printf("loading_at_quit=%d\n", planner->isLoading() ? 1 : 0);
                PrintQuitRequest();
                main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
            });
            return;
        }
        if (mode == "cancel-shots") {
            const QString second = picture;
            const QString folder = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
            QTimer::singleShot(0, main, [main, query, second, folder] {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->FileOpen1Accept(second);
                auto* cancel = main->findChild<QPushButton*>(QStringLiteral("btnAbbrechen"));
                auto* poll = new QTimer(main);
                QObject::connect(poll, &QTimer::timeout, main, [main, cancel, folder, poll] {
                    if (!cancel->isVisible()) return;
                    poll->stop();
                    main->grab().save(folder + "/cancel_offered.png");
                    cancel->click();
                    QApplication::processEvents();
                    main->grab().save(folder + "/cancel_done.png");
                    std::printf("cancelled=%d\n", main->busy() ? 0 : 1);
                    std::fflush(stdout);
                    main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
                });
                poll->start(20);
            });
            return;
        }
        QTimer::singleShot(0, main, [main, &windows, mode, query, picture, saved, candidates] {
            if (mode == "quit") {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->mnuUebersichtClick();
                std::printf("overview=%d\n", windows.frmOverview && windows.frmOverview->isVisible() ? 1 : 0);
                // A large query's figures are still being made: the quit stops them.
                std::printf("overview_figures_running=%d\n", windows.frmOverview->figuresRunning() ? 1 : 0);
                std::fflush(stdout);
            }
            if (mode == "overview") {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->mnuUebersichtClick();
                ql::ui::TfrmOverview* w = windows.frmOverview.get();
                if (w->figuresRunning()) {
                    // A large query's figures are made beside the window.
                    QEventLoop wait;
                    QObject::connect(w, &ql::ui::TfrmOverview::figuresShown, &wait, &QEventLoop::quit);
                    wait.exec();
                }
                QApplication::processEvents();
                const QRect available = w->screen()->availableGeometry();
                std::printf("screen=%dx%d ratio=%g\n", available.width(), available.height(), w->devicePixelRatioF());
                std::printf("frame=%d,%d %dx%d\n", w->frameGeometry().x(), w->frameGeometry().y(),
                            w->frameGeometry().width(), w->frameGeometry().height());
                std::printf("fits=%d\n", available.contains(w->frameGeometry()) ? 1 : 0);
                bool buttons = true;
                for (QPushButton* b : w->findChildren<QPushButton*>())
                    if (b->isVisible())
                        buttons = buttons && w->rect().contains(QRect(b->mapTo(w, QPoint(0, 0)), b->size()));
                std::printf("buttons=%d\n", buttons ? 1 : 0);
                QTableView* table = w->table();
                std::printf("header=%d viewport=%d table=%d\n", table->horizontalHeader()->length(),
                            table->viewport()->width(), table->width());
                std::printf("columns=%d\n", table->horizontalHeader()->length() <= table->viewport()->width() ? 1 : 0);
                // The district and its count in view; the columns after them scroll where the side is narrow.
                const int counts =
                    table->horizontalHeader()->sectionViewportPosition(1) + table->horizontalHeader()->sectionSize(1);
                std::printf("first_columns=%d\n", counts <= table->viewport()->width() ? 1 : 0);

                // The map leads, and nothing covers a district's label point.
                std::printf("map_share=%d\n", MapShare(w));
                PrintLabels(w, "open");
                bool tabs = true;
                for (int t = 0; t < w->tabs()->count(); ++t) {
                    w->tabs()->setCurrentIndex(t);
                    QApplication::processEvents();
                    tabs = tabs && ButtonsInside(w) && !w->tabs()->currentWidget()->size().isEmpty();
                }
                std::printf("tabs=%d\n", tabs ? 1 : 0);
                w->legendBand()->setFolded(true);
                QApplication::processEvents();
                std::printf("folded_share=%d\n", MapShare(w));
                PrintLabels(w, "folded");
                w->legendBand()->setFolded(false);

                // The planner's tab, with the lists loaded.
                if (!candidates.isEmpty()) {
                    // Read beside the window: waited for by its signal.
                    QEventLoop wait;
                    QObject::connect(w->planner(), &ql::ui::CandidatePanel::loadFinished, &wait, &QEventLoop::quit);
                    w->planner()->LoadFiles(candidates);
                    if (w->planner()->isLoading()) wait.exec();
                }
                w->showTab(ql::ui::TfrmOverview::PlanenTab);
                QApplication::processEvents();
                std::printf("planner_share=%d\n", MapShare(w));
                std::printf("planner_map=%dx%d side=%dx%d side_minimum=%d\n", w->map()->width(), w->map()->height(),
                            w->splitter()->widget(1)->width(), w->splitter()->widget(1)->height(),
                            w->splitter()->widget(1)->minimumSizeHint().width());
                PrintLabels(w, "planner");
                std::printf("planner_buttons=%d\n", ButtonsInside(w) ? 1 : 0);
                w->grab().save(picture);
                if (!saved.isEmpty()) w->SaveImage(saved);
            }
            if (mode == "windows") {
                // The query is optional: without it the tally shows its zeros.
                const QString dir = picture.isEmpty() ? query : picture;
                if (!picture.isEmpty()) {
                    main->FileOpen1Accept(query);
                    WaitForStep(main);
                }
                const QRect available = main->screen()->availableGeometry();
                std::printf("screen=%dx%d ratio=%g\n", available.width(), available.height(),
                            main->devicePixelRatioF());
                std::printf("frmMain_frame=%d,%d %dx%d\n", main->frameGeometry().x(), main->frameGeometry().y(),
                            main->frameGeometry().width(), main->frameGeometry().height());
                std::printf("frmMain_fits=%d\n", available.contains(main->frameGeometry()) ? 1 : 0);
                main->grab().save(dir + "/frmMain.png");
                CheckWindow(windows.frmLK.get(), dir);
                CheckWindow(windows.frmPoly.get(), dir);
                CheckWindow(windows.frmFK.get(), dir);
                CheckWindow(windows.frmInfo.get(), dir);
                CheckWindow(windows.frmWeb.get(), dir);
            }
            std::printf("started=1\n");
            std::fflush(stdout);
            if (mode == "quit") PrintQuitRequest();
            main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
        });
    });
}

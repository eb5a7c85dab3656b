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
//   scripted_program cancel-shots FIRST SECOND FOLDER
//                                     opens FIRST, then SECOND; once the status
//                                     line offers "Abbrechen" photographs the
//                                     window, stops, photographs it again
//   scripted_program overview QUERYFILE PNG
//                                     opens the query and the overview, tells
//                                     whether the overview fits the screen,
//                                     saves its picture, then ends
// What the script saw goes to stdout, one "name=value" a line.

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "state/app_state.h"
#include "ui/common/Program.h"
#include "ui/main/TfrmMain.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/common/Windows.h"

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
                std::printf("quit=1\n");
                std::fflush(stdout);
                QTimer::singleShot(0, main,
                                   [main] { main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger(); });
            });
            QTimer::singleShot(0, main, [main, query] { main->FileOpen1Accept(query); });
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
        QTimer::singleShot(0, main, [main, &windows, mode, query, picture] {
            if (mode == "quit") {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->mnuUebersichtClick();
                std::printf("overview=%d\n", windows.frmOverview && windows.frmOverview->isVisible() ? 1 : 0);
            }
            if (mode == "overview") {
                main->FileOpen1Accept(query);
                WaitForStep(main);
                main->mnuUebersichtClick();
                ql::ui::TfrmOverview* w = windows.frmOverview.get();
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
                w->grab().save(picture);
            }
            std::printf("started=1\n");
            std::fflush(stdout);
            main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
        });
    });
}

// The program itself, started as a process by the window tests, with a short
// script run once the main window shows:
//   scripted_program quit QUERYFILE   opens the query, opens the overview,
//                                     then chooses "Beenden" in the main window
//   scripted_program start            chooses "Beenden" at once
//   scripted_program overview QUERYFILE PNG
//                                     opens the query and the overview, tells
//                                     whether the overview fits the screen,
//                                     saves its picture, then ends
// What the script saw goes to stdout, one "name=value" a line.

#include <QAction>
#include <QApplication>
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

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const QString query = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString picture = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    return ql::ui::RunProgram(argc, argv, [&](ql::ui::Windows& windows, ql::AppState&) {
        ql::ui::TfrmMain* main = windows.frmMain.get();
        windows.frmPoly->setTimingForTests(0, 1);
        QTimer::singleShot(0, main, [main, &windows, mode, query, picture] {
            if (mode == "quit") {
                main->FileOpen1Accept(query);
                main->mnuUebersichtClick();
                std::printf("overview=%d\n", windows.frmOverview && windows.frmOverview->isVisible() ? 1 : 0);
            }
            if (mode == "overview") {
                main->FileOpen1Accept(query);
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

// The program itself, started as a process by the window tests, with a short
// script run once the main window shows:
//   scripted_program quit QUERYFILE   opens the query, opens the overview,
//                                     then chooses "Beenden" in the main window
//   scripted_program start            chooses "Beenden" at once
// What the script saw goes to stdout, one "name=value" a line.

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/app_state.h"
#include "ui/Program.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmOverview.h"
#include "ui/TfrmPoly.h"
#include "ui/Windows.h"

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const QString query = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    return ql::ui::RunProgram(argc, argv, [&](ql::ui::Windows& windows) {
        ql::ui::TfrmMain* main = windows.frmMain.get();
        windows.frmPoly->setTimingForTests(0, 1);
        QTimer::singleShot(0, main, [main, &windows, mode, query] {
            if (mode == "quit") {
                main->FileOpen1Accept(query);
                main->mnuUebersichtClick();
                std::printf("overview=%d\n", windows.frmOverview && windows.frmOverview->isVisible() ? 1 : 0);
            }
            std::printf("started=1\n");
            std::fflush(stdout);
            main->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
        });
    });
}

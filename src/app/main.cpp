// Start-up: the program runs from start to end in RunProgram.
//   quenlorn [QUERY]                        opens QUERY at start (the desktop's "open with")
//   quenlorn --screenshots FOLDER [QUERY]   also walks through the windows and photographs them
//   quenlorn --version                      prints name and version and ends, without a window

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "screenshot_tour.h"
#include "ui/common/Program.h"
#include "ui/main/TfrmMain.h"
#include "ui/common/Windows.h"

#define QL_STRING(x) #x
#define QL_VERSION_TEXT(a, b, c, d) QL_STRING(a) "." QL_STRING(b) "." QL_STRING(c) "." QL_STRING(d)

int main(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("Quenlorn Polygonberechnung " QL_VERSION_TEXT(QL_VERSION_MAJOR, QL_VERSION_MINOR, QL_VERSION_PATCH,
                                                                QL_VERSION_TWEAK));
        return 0;
    }
    return ql::ui::RunProgram(argc, argv, [](ql::ui::Windows& windows, ql::AppState& state) {
        QStringList args = QApplication::arguments().mid(1);
        QString tourFolder;
        if (args.size() >= 2 && args.front() == QLatin1String("--screenshots")) {
            tourFolder = args.at(1);
            args = args.mid(2);
        }
        const QString query = args.value(0);
        if (!tourFolder.isEmpty()) {
            ql::ui::StartScreenshotTour(windows, state, tourFolder, query);
        } else if (!query.isEmpty()) {
            ql::ui::TfrmMain* main = windows.frmMain.get();
            QTimer::singleShot(0, main, [main, query] { main->FileOpen1Accept(query); });
        }
    });
}

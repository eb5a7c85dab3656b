// Start-up: the program runs from start to end in RunProgram.
//   quenlorn [QUERY]                        opens QUERY at start
//   quenlorn --screenshots FOLDER [QUERY]   also walks through the windows and photographs them

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "screenshot_tour.h"
#include "ui/common/Program.h"
#include "ui/main/TfrmMain.h"
#include "ui/common/Windows.h"

int main(int argc, char* argv[])
{
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

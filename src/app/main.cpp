// Start-up: shared state, the six windows, the message loop, clean-up.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include <optional>

#include "state/app_state.h"
#include "base/user_error.h"
#include "scan/placemark.h"
#include "scan/placemark_folder.h"
#include "platform/platform.h"
#include "screenshot_tour.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/TfrmMain.h"
#include "ui/Windows.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(ql::ui::ApplicationTitle);
#ifdef _WIN32
    // Settings live in the registry under the maker's key; without one Qt keeps none.
    QApplication::setOrganizationName(QStringLiteral("zellgrenz.de"));
#endif
    ql::ui::InstallFontSubstitutes();

    // Standard dialogs (file dialog, message box buttons) speak German.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // Placemark list and shared state; the temporary folder must be known
    // before any window shows.
    ql::AppState state;
    state.ProgramDir = ql::platform::ExecutableDir();
    // The placemark files go to a folder of this instance's own, removed
    // with them at the end.
    std::optional<ql::PlacemarkFolder> placemarkFolder;
    try {
        placemarkFolder.emplace(ql::platform::GetTempDir());
        state.TempDir = placemarkFolder->Path();
    } catch (const ql::UserError& e) {
        QMessageBox::critical(nullptr, ql::ui::ApplicationTitle, QString::fromStdString(e.what()));
        return 1;
    }
    auto registry = ql::platform::MakeRegistryReader();
    state.NativeArchitecture = ql::platform::NativeProcessorArchitecture();

    int exitCode = 0;
    {
        auto windows = ql::ui::CreateWindows(state, *registry);
        windows->frmMain->show();
        // "quenlorn QUERY" opens a query at start; "--screenshots FOLDER QUERY"
        // also walks through the windows and photographs them.
        QStringList args = QApplication::arguments().mid(1);
        QString tourFolder;
        if (args.size() >= 2 && args.front() == QLatin1String("--screenshots")) {
            tourFolder = args.at(1);
            args = args.mid(2);
        }
        const QString query = args.value(0);
        if (!tourFolder.isEmpty()) {
            ql::ui::StartScreenshotTour(*windows, state, tourFolder, query);
        } else if (!query.isEmpty()) {
            QTimer::singleShot(0, windows->frmMain.get(), [&] { windows->frmMain->FileOpen1Accept(query); });
        }
        exitCode = QApplication::exec();
    }

    ql::RemovePlacemarkFiles(state);
    return exitCode;
}

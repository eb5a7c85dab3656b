#include "ui/common/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>
#include <optional>

#include "base/user_error.h"
#include "state/app_state.h"
#include "scan/placemark.h"
#include "scan/placemark_folder.h"
#include "platform/platform.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Fonts.h"
#include "ui/main/TfrmMain.h"
#include "ui/common/Windows.h"

namespace ql::ui {

bool PrepareBrowserSandbox()
{
    if (!platform::RunsAsRoot() || !qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) return false;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fputs("Quenlorn läuft als Benutzer root: der eingebettete Browser startet ohne seine Sandbox.\n", stderr);
    std::fflush(stderr);
    return true;
}

int RunProgram(int& argc, char** argv, const std::function<void(Windows&, AppState&)>& started)
{
    PrepareBrowserSandbox();
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
#ifdef _WIN32
    // Settings live in the registry under the maker's key; without one Qt keeps none.
    QApplication::setOrganizationName(QStringLiteral("zellgrenz.de"));
#endif
    InstallFontSubstitutes();

    // Standard dialogs (file dialog, message box buttons) speak German.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // Placemark list and shared state; the temporary folder must be known
    // before any window shows.
    AppState state;
    // Beside the executable (a build folder, the Windows ZIP) or, installed,
    // under share/quenlorn.
    const std::string executableDir = platform::ExecutableDir();
    state.ProgramDir = platform::ProgramDataDir(executableDir);
    // The placemark files go to a folder of this instance's own, removed
    // with them at the end.
    std::optional<PlacemarkFolder> placemarkFolder;
    try {
        placemarkFolder.emplace(platform::GetTempDir());
        state.TempDir = placemarkFolder->Path();
        // An installation's shared folder is no place to write the page in.
        if (state.ProgramDir != executableDir) state.PageDir = state.TempDir;
        state.RestoreTempDir = [&placemarkFolder] { return placemarkFolder->Restore(); };
    } catch (const UserError& e) {
        QMessageBox::critical(nullptr, ApplicationTitle, QString::fromStdString(e.what()));
        return 1;
    }
    auto registry = platform::MakeRegistryReader();
    state.NativeArchitecture = platform::NativeProcessorArchitecture();

    int exitCode = 0;
    {
        auto windows = CreateWindows(state, *registry);
        windows->frmMain->show();
        if (started) started(*windows, state);
        exitCode = QApplication::exec();
    }

    RemovePlacemarkFiles(state);
    return exitCode;
}

}  // namespace ql::ui

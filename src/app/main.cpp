// Start-up: shared state, the six windows, the message loop, clean-up.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "state/app_state.h"
#include "base/user_error.h"
#include "scan/placemark.h"
#include "platform/platform.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/TfrmMain.h"
#include "ui/Windows.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(ql::ui::ApplicationTitle);
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
    try {
        state.TempDir = ql::platform::GetTempDir();
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
        exitCode = QApplication::exec();
    }

    ql::RemovePlacemarkFiles(state);
    return exitCode;
}

// Runs the window tests inside one QApplication, on the offscreen platform.

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <process.h>
#define QL_PROCESS_ID _getpid
#else
#include <unistd.h>
#define QL_PROCESS_ID getpid
#endif

#include "ui/common/Fonts.h"

int main(int argc, char** argv)
{
    // Offscreen windows, and Chromium (behind the web window) without its
    // sandbox, GPU or background traffic, unless the caller says otherwise.
    const auto setDefault = [](const char* name, const char* value) {
        if (qgetenv(name).isEmpty()) qputenv(name, value);
    };
    // A full-HD screen, as the windows' designs are made for (the platform's
    // own is 800 x 600, where they would open scrolled). The platform splits
    // its options at ':', so on Windows the file is named relative to the
    // working folder. Each process has a file of its own (test runs go side
    // by side), removed once the platform has read it.
    std::string screenFile;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty() || qgetenv("QT_QPA_PLATFORM") == "offscreen") {
#ifdef _WIN32
        screenFile = "ui-tests-screen-" + std::to_string(QL_PROCESS_ID()) + ".json";
#else
        screenFile = QL_RUNTIME_DIR "/ui-tests-screen-" + std::to_string(QL_PROCESS_ID()) + ".json";
#endif
        if (FILE* f = std::fopen(screenFile.c_str(), "wb")) {
            std::fputs(
                "{\"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": 1920, \"height\": 1080, "
                "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}",
                f);
            std::fclose(f);
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screenFile.c_str());
        }
    }
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS",
               "--no-sandbox --disable-gpu --disable-background-networking "
               "--disable-component-update --disable-sync --no-first-run");
    setDefault("LC_ALL", "C.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The program shows the system's file dialogs where the platform has them;
    // the tests answer Qt's own, whose controls they can reach.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    if (!screenFile.empty()) std::remove(screenFile.c_str());
#ifdef _WIN32
    // Settings in the registry need an organisation, as the program has one.
    QApplication::setOrganizationName(QStringLiteral("Quenlorn-Tests"));
#endif
    ql::ui::InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

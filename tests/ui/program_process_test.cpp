// The program as a process: quitting with the overview open ends it and
// removes the placemark files; started as root it runs with the browser's
// sandbox off and says so.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"

namespace ql::test {
namespace {

struct ProcessRun {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessRun RunScripted(const QStringList& arguments, const QString& tempDir, bool keepSandboxSetting)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), tempDir);
    if (!keepSandboxSetting) {
        env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
        // Only the flags that keep Chromium quiet; the sandbox is the program's choice.
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
    }
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QL_RUNTIME_DIR "/quenlorn_scripted"), arguments);
    ProcessRun run;
    run.finished = process.waitForFinished(120000);  // a program that does not end fails here
    if (!run.finished) process.kill(), process.waitForFinished();
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(ProgramProcess, QuitWithTheOverviewOpenEndsTheProgramAndRemovesThePlacemarkFiles)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    testquery::Cache outside;  // in Luxembourg: a placemark file
    outside.code = "GC4LUX";
    outside.name = "Draussen";
    outside.lat = "49.61";
    outside.lon = "6.13";
    outside.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
    testquery::Cache kusel = outside;
    kusel.code = "GC1KUS";
    kusel.lat = "49.538";
    kusel.lon = "7.398";
    const QString query = WriteFile(temp.filePath("finds.gpx"), testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel, outside}));
    const QString tempDir = temp.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tempDir));

    const ProcessRun run = RunScripted({QStringLiteral("quit"), query}, tempDir, true);
    ASSERT_TRUE(run.finished) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("overview=1\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("started=1\n")));
    EXPECT_EQ(QDir(tempDir).entryList(QDir::Files), QStringList()) << "placemark files left behind";
}

TEST(ProgramProcess, StartedAsRootRunsWithTheSandboxOffAndSaysSo)
{
    if (!platform::RunsAsRoot()) GTEST_SKIP() << "needs the root user";
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const ProcessRun run = RunScripted({QStringLiteral("start")}, temp.path(), false);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("started=1\n")));
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("Quenlorn läuft als Benutzer root: der eingebettete Browser startet ohne seine Sandbox.")))
        << run.err.toStdString();
}

}  // namespace
}  // namespace ql::test

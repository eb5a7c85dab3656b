// The program as a process: quitting with the overview open ends it and
// removes the placemark files; started as root it runs with the browser's
// sandbox off and says so.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"
#include "support/zip_builder.h"

namespace ql::test {
namespace {

struct ProcessRun {
    std::chrono::steady_clock::time_point ended;  // when the wait for the end returned
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessRun RunScripted(const QStringList& arguments, const QString& tempDir, bool keepSandboxSetting,
                       const QString& platform = QStringLiteral("offscreen"), const QString& scale = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("TMPDIR"), tempDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), tempDir);  // the user's own settings stay untouched
    if (!scale.isEmpty()) env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    if (!keepSandboxSetting) {
        env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
        // Only the flags that keep Chromium quiet; the sandbox is the program's choice.
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
    }
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QL_RUNTIME_DIR "/quenlorn_scripted"), arguments);
    ProcessRun run;
    run.finished = process.waitForFinished(120000);  // a program that does not end fails here
    run.ended = std::chrono::steady_clock::now();
    if (!run.finished) process.kill(), process.waitForFinished();
    run.exitCode = process.exitCode();
    // Line ends as written on any system (Windows writes CR LF).
    run.out = QString::fromUtf8(process.readAllStandardOutput()).remove(QLatin1Char('\r'));
    run.err = QString::fromUtf8(process.readAllStandardError()).remove(QLatin1Char('\r'));
    return run;
}

// What the program left of its own in the temporary folder, sub-folders
// included: its placemark folder, placemark files, files half written. Qt's
// runtime folder and the settings (XDG_CONFIG_HOME points there) are not its.
QStringList LeftIn(const QString& folder)
{
    QStringList left;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        if (name.startsWith(QLatin1String("quenlorn-")) || name.endsWith(QLatin1String(".kml")) ||
            name.endsWith(QLatin1String(".part")))
            left << path;
    }
    return left;
}

// Seconds from the moment the program chose "Beenden" to its end, as seen
// here: told in the test's output (the figure varies with the machine's load),
// -1 when the program did not say.
double QuitToEndSeconds(const ProcessRun& run)
{
    const QString key = QStringLiteral("quit_at_ns=");
    const int at = run.out.indexOf(key);
    if (at < 0) return -1;
    const long long ns = run.out.mid(at + key.size()).section(QLatin1Char('\n'), 0, 0).toLongLong();
    const auto quitAt = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns));
    const double seconds = std::chrono::duration<double>(run.ended - quitAt).count();
    std::printf("[          ] quit to end: %.3f s\n", seconds);
    return seconds;
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
    const QString query =
        WriteFile(temp.filePath("finds.gpx"), testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel, outside}));
    const QString tempDir = temp.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tempDir));

    const ProcessRun run = RunScripted({QStringLiteral("quit"), query}, tempDir, true);
    ASSERT_TRUE(run.finished) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("overview=1\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("started=1\n")));
    EXPECT_EQ(LeftIn(tempDir), QStringList()) << "placemark files left behind";
    EXPECT_GE(QuitToEndSeconds(run), 0.0);
}

// Quitting while the query is read, extracted or scanned ends the program at
// once: no loader, no scan, nothing left in the temporary folder.
TEST(ProgramProcess, QuitDuringAStepEndsWithoutLoaderScanOrFiles)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    std::vector<testquery::Cache> caches;
    for (int i = 0; i < 2000; ++i) {
        testquery::Cache outside;  // in Luxembourg: each would get a placemark file
        outside.code = "GC" + std::to_string(10000 + i);
        outside.name = "Draussen";
        outside.lat = "49.61";
        outside.lon = "6.13";
        outside.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
        caches.push_back(outside);
    }
    const std::string text = testquery::MyFindsQuery("2017-01-01T00:00:00Z", caches);
    const QString gpx = WriteFile(temp.filePath("finds.gpx"), text);
    const QString zip = WriteFile(temp.filePath("finds.zip"), ZipBuilder().Add("finds.gpx", text).Build());
    const struct {
        const char* mode;
        QString query;
        bool loaderShown;
    } cases[] = {
        {"quit-reading", gpx, false},
        {"quit-reading", zip, false},  // during the extraction
        {"quit-scanning", gpx, true},  // the loader shows before the first scan
        {"quit-scanning", zip, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.query.toStdString());
        const QString tempDir = temp.filePath(QStringLiteral("tmp-%1-%2").arg(c.mode).arg(c.query.endsWith("zip")));
        ASSERT_TRUE(QDir().mkpath(tempDir));
        const ProcessRun run = RunScripted({QString::fromLatin1(c.mode), c.query}, tempDir, true);
        ASSERT_TRUE(run.finished) << run.out.toStdString() << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.contains(QStringLiteral("quit=1\n"))) << run.out.toStdString();
        EXPECT_FALSE(run.out.contains(QStringLiteral("scan=1\n"))) << run.out.toStdString();
        EXPECT_EQ(run.out.contains(QStringLiteral("loader=1\n")), c.loaderShown) << run.out.toStdString();
        EXPECT_EQ(LeftIn(tempDir), QStringList());
        EXPECT_GE(QuitToEndSeconds(run), 0.0);
    }
}

// Quitting while the planner reads a candidate list stops the read: the
// program ends and leaves nothing behind.
TEST(ProgramProcess, QuitWhileACandidateListIsReadEndsTheProgram)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    testquery::Cache kusel;
    kusel.code = "GC1KUS";
    kusel.lat = "49.538";
    kusel.lon = "7.398";
    kusel.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
    const QString query =
        WriteFile(temp.filePath("finds.gpx"), testquery::MyFindsQuery("2017-01-01T00:00:00Z", {kusel}));
    // A list large enough that its read is still running when "Beenden" comes.
    std::string many = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">\n";
    for (int i = 0; i < 200000; ++i)
        many += "<wpt lat=\"50.45\" lon=\"7.25\"><name>GC9" + std::to_string(100000 + i) +
                "</name><desc>Viele by Jemand, Traditional Cache (1/1)</desc>"
                "<type>Geocache|Traditional Cache</type></wpt>\n";
    const QString list = WriteFile(temp.filePath("gross.gpx"), many + "</gpx>\n");
    const QString tempDir = temp.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tempDir));

    const ProcessRun run = RunScripted({QStringLiteral("quit-candidates"), query, list}, tempDir, true);
    ASSERT_TRUE(run.finished) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("loading_at_quit=1\n"))) << run.out.toStdString();
    EXPECT_EQ(LeftIn(tempDir), QStringList());
    EXPECT_GE(QuitToEndSeconds(run), 0.0);
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

// A screen as the offscreen platform reads it from a file.
QString ScreenConfig(const QTemporaryDir& dir, int width, int height)
{
    const QString path = dir.filePath(QStringLiteral("screen.json"));
    WriteFile(path, "{\"windowFrameMargins\": true, \"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": " +
                        std::to_string(width) + ", \"height\": " + std::to_string(height) +
                        ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
    return QStringLiteral("offscreen:configfile=") + path;
}

// The small and scaled screens the windows must fit: 1366 x 768 at 100 % and
// 125 %, 1920 x 1080 at 150 % and 200 % (a device pixel ratio of 2).
struct TestScreen {
    int width, height;
    const char* scale;
    const char* name;
    int logicalWidth;
};
constexpr TestScreen Screens[] = {{1366, 768, "", "1366x768", 1366},
                                  {1366, 768, "1.25", "1366x768_scale125", 1093},
                                  {1920, 1080, "1.5", "1920x1080_scale150", 1280},
                                  {1920, 1080, "2", "1920x1080_scale2", 960}};

int Figure(const QString& out, const QString& name)
{
    const qsizetype at = out.indexOf(name + QLatin1Char('='));
    if (at < 0) return -1;
    return out.mid(at + name.size() + 1).section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(' '), 0, 0).toInt();
}

TEST(ProgramProcess, OverviewWithTheDemoQueryFitsSmallAndScaledScreensAndTheMapLeads)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the offscreen platform splits its options at ':', so no screen file with a drive letter can be named";
#endif
    for (const TestScreen& s : Screens) {
        SCOPED_TRACE(s.name);
        QTemporaryDir temp;
        ASSERT_TRUE(temp.isValid());
        const QString shots = QStringLiteral(QL_RUNTIME_DIR "/../screenshots");
        QDir().mkpath(shots);
        const QString picture = shots + "/overview_demo_" + s.name + ".png";
        QFile::remove(picture);
        const ProcessRun run =
            RunScripted({QStringLiteral("overview"), QStringLiteral(QL_RUNTIME_DIR "/demo/demo-myfinds.zip"), picture},
                        temp.path(), true, ScreenConfig(temp, s.width, s.height), QString::fromLatin1(s.scale));
        ASSERT_TRUE(run.finished);
        const std::string out = run.out.toStdString();
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("fits=1\n"))) << out;
        EXPECT_TRUE(run.out.contains(QStringLiteral("buttons=1\n"))) << out;
        EXPECT_TRUE(run.out.contains(QStringLiteral("screen=%1x").arg(s.logicalWidth))) << out;
        // The map keeps its share, so the table beside it shows the districts
        // and their counts, and scrolls to its further columns.
        EXPECT_TRUE(run.out.contains(QStringLiteral("first_columns=1\n"))) << out;
        // Every tab fits; the map keeps at least half the window with the
        // legend open or folded and with the planner shown.
        EXPECT_TRUE(run.out.contains(QStringLiteral("tabs=1\n"))) << out;
        EXPECT_TRUE(run.out.contains(QStringLiteral("planner_buttons=1\n"))) << out;
        for (const char* share : {"map_share", "folded_share", "planner_share"})
            EXPECT_GE(Figure(run.out, share), 50) << share << "\n" << out;
        EXPECT_GT(Figure(run.out, "folded_share"), Figure(run.out, "map_share")) << out;
        // Nothing covers a district's label point.
        for (const char* state : {"open", "folded", "planner"}) {
            EXPECT_EQ(Figure(run.out, QString::fromLatin1(state) + "_labels_inside"), 36) << state << "\n" << out;
            EXPECT_EQ(Figure(run.out, QString::fromLatin1(state) + "_labels_covered"), 0) << state << "\n" << out;
        }
        EXPECT_FALSE(QImage(picture).isNull());
    }
}

TEST(ProgramProcess, WindowsOfAFixedDesignFitSmallAndScaledScreens)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "the offscreen platform splits its options at ':', so no screen file with a drive letter can be named";
#endif
    for (const TestScreen& s : Screens) {
        SCOPED_TRACE(s.name);
        QTemporaryDir temp;
        ASSERT_TRUE(temp.isValid());
        const QString shots = QStringLiteral(QL_RUNTIME_DIR "/../screenshots/windows_") + s.name;
        QDir().mkpath(shots);
        const ProcessRun run = RunScripted({QStringLiteral("windows"), shots}, temp.path(), true,
                                           ScreenConfig(temp, s.width, s.height), QString::fromLatin1(s.scale));
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        for (const char* window : {"frmMain", "frmLK", "frmPoly", "frmFK", "frmInfo", "frmWeb"})
            EXPECT_TRUE(run.out.contains(QString::fromLatin1(window) + QStringLiteral("_fits=1\n")))
                << window << "\n"
                << run.out.toStdString();
    }
}

}  // namespace
}  // namespace ql::test

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"
#include "support/zip_builder.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"

namespace ql::test {
namespace {

using testquery::MyFindsQuery;

const QString NotFoundBox = QStringLiteral("Archiver: File \"*.gpx\" not found - Native error: 00015.");
const QString InvalidBox = QStringLiteral("Invalid archive file. - Native error: 00035.");
const QString Deflate64Box = QStringLiteral("Deflate64 compression method is not supported - Native error: 00055.");
const QString CheckBox = QStringLiteral(
    "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008.");

class MainWindowZipTest : public MainWindowFixture {
protected:
    int gauge() { return child<QProgressBar>("pbProgress")->value(); }

    QString Zip(const char* name, const ZipBuilder& zip) { return WriteFile(fx.programDir.filePath(name), zip.Build()); }

    // A good archive first, so that a failure can be seen to keep its results.
    void LoadGoodArchive()
    {
        OpenAndWait(main, Zip("good.zip", ZipBuilder().Add("q.gpx", MyFindsQuery("2011-06-27T02:11:21Z"))));
        ASSERT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
        ASSERT_EQ(fx.state.QueryLines.Size(), 10u);
        ASSERT_EQ(gauge(), 100);
    }
    // Opens a failing archive; the previous query and results must stay.
    void ExpectFailure(const QString& path, const QString& box)
    {
        ModalAnswerer answerer;
        OpenAndWait(main, path);
        ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
        EXPECT_EQ(ui::ErrorBoxHistory().first(), box);
        EXPECT_EQ(answerer.seen().first(), "ErrorBox|Quenlorn Polygonberechnung|" + box);
        EXPECT_EQ(fx.state.QueryLines.Size(), 10u);
        EXPECT_EQ(fx.state.QueryLines.At(6), "  <time>2011-06-27T02:11:21Z</time>");
        EXPECT_EQ(text("lblQueryDatum"), "  2011-06-27 - 02:11:21Z");
        EXPECT_EQ(text("lblAnzahlCache"), "0");
        EXPECT_TRUE(child<QAction>("FileOpen1")->isEnabled());
        EXPECT_TRUE(child<QPushButton>("bbtnOpen")->isEnabled());
    }
};

TEST_F(MainWindowZipTest, ArchiveLoadsAndRunsTheAnalysis)
{
    // The waypoints file comes after the query in the directory and is ignored.
    const QString path = Zip("pq.zip", ZipBuilder()
                                           .Add("13746815.gpx", "\xEF\xBB\xBF" + MyFindsQuery("2015-07-23T10:00:00Z"))
                                           .Add("13746815-wpts.gpx", "<?xml?>\r\n<gpx>\r\n"));
    bool openWasOn = true, buttonWasOn = true;
    QTimer::singleShot(0, main, [&] {  // runs inside the first progress event
        openWasOn = child<QAction>("FileOpen1")->isEnabled();
        buttonWasOn = child<QPushButton>("bbtnOpen")->isEnabled();
    });
    OpenAndWait(main, path);
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    EXPECT_FALSE(openWasOn);
    EXPECT_FALSE(buttonWasOn);
    EXPECT_TRUE(child<QAction>("FileOpen1")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("bbtnOpen")->isEnabled());
    EXPECT_EQ(fx.state.QueryLines.At(0), "<?xml version=\"1.0\" encoding=\"utf-8\"?>");  // no mark in line 1
    EXPECT_EQ(text("lblDateiname"), Native(path));
    EXPECT_EQ(text("lblQueryDatum"), "  2015-07-23 - 10:00:00Z");
    EXPECT_EQ(text("lblReady"), "FERTIG !");
    EXPECT_TRUE(child<QLabel>("lblReady")->isVisible());
    EXPECT_EQ(gauge(), 100);
    SaveScreenshot(main, "main_window_zip_loaded");
}

TEST_F(MainWindowZipTest, ArchiveNamedInCapitalsIsStillAnArchive)
{
    // Read as text it would fail the My Finds check.
    ModalAnswerer answerer;
    OpenAndWait(main, Zip("QUERY.ZIP", ZipBuilder().Add("q.gpx", MyFindsQuery("2011-06-27T02:11:21Z"))));
    EXPECT_TRUE(answerer.seen().isEmpty()) << answerer.seen().join("\n").toStdString();
    EXPECT_EQ(text("lblQueryDatum"), "  2011-06-27 - 02:11:21Z");
}

TEST_F(MainWindowZipTest, EmptyEntryEmptiesTheQueryWithoutAnalysis)
{
    LoadGoodArchive();
    OpenAndWait(main, Zip("empty.zip", ZipBuilder().Add("empty.gpx", "")));
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
    EXPECT_TRUE(fx.state.QueryLines.Empty());
    EXPECT_EQ(text("lblReady"), "FERTIG !");
    EXPECT_EQ(gauge(), 100);
}

// Each failure after a good archive: the stage it reached shows in the
// label and the gauge (nullptr / -1: not judged).
TEST_F(MainWindowZipTest, FailedArchivesKeepTheQueryAndShowHowFarTheyGot)
{
    const std::string query = MyFindsQuery("2020-01-01T00:00:00Z");
    const QString missing = fx.programDir.filePath("missing.zip");
    const struct {
        QString path, box;
        const char* ready;
        int gauge;
    } cases[] = {
        // Opening failed: the old value stays.
        {WriteFile(fx.programDir.filePath("notes.zip"), "just text\r\n"), InvalidBox, "Extrahiere !", 100},
        // No .gpx at the top level drops the gauge to zero.
        {Zip("folder.zip", ZipBuilder().Add("pq/", "").Add("pq/q.gpx", query)), NotFoundBox, "Extrahiere !", 0},
        {missing, NotFoundBox, nullptr, -1},
        {Zip("d64.zip", ZipBuilder().Add({"q.gpx", query, 9, {}, {}})), Deflate64Box, "Extrahiere !", -1},
        // Decoding had begun; the gauge keeps the value before the one inflate call.
        {Zip("crc.zip", ZipBuilder().Add({"q.gpx", query, 8, 1u, {}})), CheckBox, "Extracting: ", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        ui::ErrorBoxHistory().clear();
        ASSERT_NO_FATAL_FAILURE(LoadGoodArchive());
        ExpectFailure(c.path, c.box);
        if (c.ready) {
            EXPECT_EQ(text("lblReady"), c.ready);
        }
        if (c.gauge >= 0) {
            EXPECT_EQ(gauge(), c.gauge);
        }
    }
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
}  // namespace ql::test

// The main window while its steps run beside it: it answers and paints, a
// stop (Escape, "Abbrechen", another open) leaves the previous query as it
// was, a placemark link finds its file, and a file dropped on it opens.

#include <QCheckBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <zlib.h>

#include "main_window_fixture.h"
#include "platform/platform.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"
#include "support/zip_builder.h"
#include "ui/common/ErrorBox.h"
#include "ui/dialogs/NipView.h"
#include "ui/dialogs/TfrmWeb.h"
#include "ui/main/TfrmMain.h"

namespace ql::test {
namespace {

using testquery::MyFindsQuery;

// Raw deflate data of `data`, ending on a byte boundary: with `last` the
// final block, else one that any other such piece may follow.
std::string DeflatePiece(const std::string& data, bool last)
{
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, last ? Z_FINISH : Z_FULL_FLUSH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// An archive whose GPX entry inflates to `mebibytes` MiB of text lines from
// a few hundred KiB: one compressed MiB repeated, after `head`. Long enough
// to be watched.
std::string LongArchive(int mebibytes, const std::string& head = {})
{
    std::string line(62, 'x');
    line += "\r\n";
    std::string mebibyte;
    while (mebibyte.size() < (1u << 20)) mebibyte += line;
    const std::string piece = DeflatePiece(mebibyte, false);
    TestEntry entry{"long.gpx", {}, 8, {}, {}, {}};
    std::string payload = head.empty() ? std::string() : DeflatePiece(head, false);
    uLong crc = Crc32Of(head);
    const uLong pieceCrc = Crc32Of(mebibyte);
    for (int i = 0; i < mebibytes; ++i) {
        payload += piece;
        crc = crc32_combine(crc, pieceCrc, static_cast<z_off_t>(mebibyte.size()));
    }
    payload += DeflatePiece({}, true);
    entry.deflated = payload;
    entry.crc = static_cast<std::uint32_t>(crc);
    entry.uncompressedSize = head.size() + static_cast<std::uint64_t>(mebibytes) * mebibyte.size();
    return ZipBuilder().Add(entry).Build();
}

// Paint events of a widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }
    int count = 0;
};

struct ShellRecorder {
    std::vector<std::string> opened;
    ShellRecorder()
    {
        platform::SetShellOpenOverride([this](const std::string& file, const std::string&) {
            opened.push_back(file);
            return 42;
        });
    }
    ~ShellRecorder() { platform::SetShellOpenOverride({}); }
};

class MainWindowBesideTest : public MainWindowFixture {
protected:
    // The query whose results a stop must leave: one find in a district, one
    // outside every district (in Luxembourg).
    void OpenFirst()
    {
        testquery::Cache kusel;
        kusel.code = "GC1KUS";
        kusel.lat = "49.538";
        kusel.lon = "7.398";
        kusel.logs = {{"Found it", "2015-06-01T07:00:00Z"}};
        testquery::Cache outside = kusel;
        outside.code = "GC4LUX";
        outside.lat = "49.61";
        outside.lon = "6.13";
        first = WriteFile(fx.programDir.filePath("first.gpx"), MyFindsQuery("2011-06-27T02:11:21Z", {kusel, outside}));
        // One district loaded, far away: both finds lie outside every district.
        fx.state.PolyTable.SetPolygon(0, {{0.0, 0.0}, {0.0, 0.001}, {0.001, 0.001}, {0.0, 0.0}});
        OpenAndWait(main, first);
        ASSERT_EQ(fx.state.Rows.size(), 2u);
    }
    void ExpectFirstShown()
    {
        EXPECT_FALSE(main->busy());
        EXPECT_EQ(fx.state.QueryFileName, Native(first).toStdString());
        EXPECT_EQ(fx.state.QueryLines.At(6), "  <time>2011-06-27T02:11:21Z</time>");
        EXPECT_EQ(fx.state.Rows.size(), 2u);
        EXPECT_EQ(fx.state.NotInPolygonCount, 2);  // one district far away: both outside
        EXPECT_EQ(text("lblDateiname"), Native(first));
        EXPECT_EQ(text("lblQueryDatum"), "  2011-06-27 - 02:11:21Z");
        EXPECT_EQ(text("lblAnzahlCache"), "2");
        EXPECT_EQ(text("lblReady"), "FERTIG !");
        EXPECT_EQ(child<QProgressBar>("pbProgress")->value(), 100);
        EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    }
    // A query of three finds.
    QString Other(const char* name)
    {
        return WriteFile(
            fx.programDir.filePath(name),
            MyFindsQuery("2015-07-23T10:00:00Z", {testquery::Cache{}, testquery::Cache{}, testquery::Cache{}}));
    }
    // Stops the scan as soon as it has started: the stop comes before its end.
    void StopEachScan()
    {
        QObject::connect(main, &ui::TfrmMain::stepStarted, main, [this](bool scanning) {
            if (scanning) QTimer::singleShot(0, main, [this] { main->btnAbbrechenClick(); });
        });
    }

    QString first;
};

TEST_F(MainWindowBesideTest, WhileAnArchiveIsExtractedTheWindowAnswersAndEscapeStopsIt)
{
    OpenFirst();
    const QString archive = WriteFile(fx.programDir.filePath("long.zip"), LongArchive(2048));
    auto* gauge = child<QProgressBar>("pbProgress");
    PaintCount paints(gauge);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks += main->busy() ? 1 : 0; });
    timer.start(10);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));

    main->FileOpen1Accept(archive);
    ASSERT_TRUE(main->busy());
    const int paintsBefore = paints.count;
    // The gauge moves, a timer fires and the window paints while the entry is inflated.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return gauge->value() > 0 && gauge->value() < 100 && text("lblReady") == "Extracting: " &&
                   paints.count > paintsBefore && ticks >= 3;
        },
        120000));
    ASSERT_TRUE(main->busy());
    QTest::keyClick(main, Qt::Key_Escape);
    ExpectFirstShown();
    EXPECT_EQ(fx.state.PlacemarkFiles, (std::vector<std::string>{"GC1KUS.kml", "GC4LUX.kml"}));
}

// The step line shown while a long archive is extracted says what runs
// once the scan follows.
TEST_F(MainWindowBesideTest, TheStepLineFollowsTheScanAfterALongExtraction)
{
    OpenFirst();
    const std::string head = MyFindsQuery("2015-07-23T10:00:00Z", {testquery::Cache{}});
    const QString archive = WriteFile(fx.programDir.filePath("long-finds.zip"), LongArchive(1024, head));
    auto* line = child<QLabel>("lblStep");
    bool seenAtScan = false;
    QString textAtScan;
    QObject::connect(main, &ui::TfrmMain::stepStarted, main, [&](bool scanning) {
        if (!scanning) return;
        seenAtScan = line->isVisible();
        textAtScan = line->text();
        QTimer::singleShot(0, main, [this] { main->btnAbbrechenClick(); });
    });
    main->FileOpen1Accept(archive);
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->isVisible(); }, 120000));
    EXPECT_EQ(line->text(), "Query wird entpackt...");
    WaitUntilIdle(main);
    ASSERT_TRUE(seenAtScan);
    EXPECT_EQ(textAtScan, "Funde werden den Kreisen zugeordnet...");
    EXPECT_FALSE(line->isVisible());
}

TEST_F(MainWindowBesideTest, AStoppedReadingOrScanLeavesThePreviousQueryAndResults)
{
    OpenFirst();
    QSignalSpy scans(main, &ui::TfrmMain::scanFinished);
    // Stopped while the file is read.
    main->FileOpen1Accept(Other("second.gpx"));
    main->btnAbbrechenClick();
    ExpectFirstShown();
    // Stopped once the scan has started (the loaded lines are not taken).
    StopEachScan();
    OpenAndWait(main, Other("third.gpx"));
    ExpectFirstShown();
    // A re-scan stopped: the box goes back with the results.
    auto* box = child<QCheckBox>("cboxStichtag");
    box->click();
    WaitUntilIdle(main);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(fx.state.CutoffEnabled);
    ExpectFirstShown();
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(scans.size(), 0);
}

TEST_F(MainWindowBesideTest, ASecondOpenReplacesTheFirst)
{
    OpenFirst();
    main->FileOpen1Accept(Other("second.gpx"));
    const QString third = WriteFile(fx.programDir.filePath("third.gpx"), MyFindsQuery("2016-01-01T00:00:00Z", {{}}));
    OpenAndWait(main, third);
    EXPECT_EQ(fx.state.QueryFileName, Native(third).toStdString());
    EXPECT_EQ(fx.state.Rows.size(), 1u);
    EXPECT_EQ(text("lblAnzahlCache"), "1");
    EXPECT_EQ(text("lblQueryDatum"), "  2016-01-01 - 00:00:00Z");
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
}

TEST_F(MainWindowBesideTest, APlacemarkLinkFollowedBeforeItsFileExistsOpensIt)
{
    OpenFirst();
    main->waitForPlacemarkFiles();
    const std::string path = fx.state.TempDir + "GC4LUX.kml";
    ASSERT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);  // not there (yet) when the link is followed
    ShellRecorder shell;
    fx.windows->frmWeb->browser()->openPlacemark(Native(QString::fromStdString(path)));
    EXPECT_EQ(shell.opened, std::vector<std::string>{Native(QString::fromStdString(path)).toStdString()});
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
}

TEST_F(MainWindowBesideTest, AQueryDroppedOnTheWindowOpensAsFromTheDialog)
{
    const QString gpx = Other("dropped.gpx");
    const auto drag = [&](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &drop);
        return true;
    };
    EXPECT_FALSE(drag(WriteFile(fx.programDir.filePath("notes.txt"), "x")));
    ASSERT_TRUE(drag(gpx));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fx.state.QueryFileName == Native(gpx).toStdString() && !main->busy(); }));
    EXPECT_EQ(text("lblDateiname"), Native(gpx));
    EXPECT_EQ(fx.state.Rows.size(), 3u);
}

}  // namespace
}  // namespace ql::test

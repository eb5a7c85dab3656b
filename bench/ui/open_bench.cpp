// open-bench: the main window's open of a query, offscreen, as a user meets it
// after the program's start: from the open dialog's acceptance to the list
// shown, each run in a process of its own. Beside it, in fresh processes too,
// the engine's own load and scan of the same file, so the window's share
// shows; after the list is shown each process also times what waits for a
// command of its own (the district overview's figures, the page of finds
// outside every district).
//
//   open-bench --polygons DIR [--runs N] [--temp DIR] FILE
//
// --temp puts the runs' placemark files into another folder than the system's
// temporary one: a file system that has just deleted as many files (ext4
// without a journal passes over inodes freed in the last half minute) makes
// their creation cost many times what it costs otherwise, in either run.

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLocale>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "../measure.h"
#include "../setup.h"
#include "base/user_error.h"
#include "districts/district_overview.h"
#include "query/query_pipeline.h"
#include "reports/nip_page.h"
#include "scan/query_scan.h"
#include "state/app_state.h"
#include "platform/platform.h"
#include "ui/common/Fonts.h"
#include "ui/main/TfrmMain.h"
#include "ui/common/Windows.h"

namespace {

struct Options {
    std::string polygons;
    std::string file;
    int runs = 10;
    std::string child;  // set in a run's own process: "window" or "engine"
    std::string folder;  // that process's folder for placemark files
    std::string temp;  // where the runs' folders go; empty for the system's temporary folder
};

// How long the window waits before the acceptance, as a user in the open dialog would.
constexpr int SettleMs = 2000;

// The folder holding the polygon folder: the program's folder as the windows see it.
std::string ProgramDirOf(std::string polygons)
{
    while (!polygons.empty() && polygons.back() == ql::platform::PathSeparator) polygons.pop_back();
    const auto cut = polygons.find_last_of(ql::platform::PathSeparator);
    return cut == std::string::npos ? std::string(".") + ql::platform::PathSeparator : polygons.substr(0, cut + 1);
}

// The engine alone, as the window calls it: load, My Finds check, scan.
int EngineRun(const Options& options)
{
    ql::AppState state;
    state.TempDir = options.folder;
    state.QueryFileName = options.file;
    bench::LoadPolygons(state, options.polygons);
    bench::Stopwatch clock;
    const ql::CancelToken stop;
    state.QueryLines = bench::OpenAsTheWindow(options.file, stop);
    if (!ql::IsMyFindsQuery(state.QueryLines)) throw ql::UserError("not a My Finds query: " + options.file);
    const ql::QueryScan scan = bench::ScanAsTheWindow(state, stop);
    std::printf("%.6f %d\n", clock.seconds(), scan.Rows);
    return 0;
}

// Counts the paint events of the object it watches.
class PaintsSeen : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }
};

// The main window opening the file as its open dialog's acceptance does.
int WindowRun(const Options& options)
{
    ql::AppState state;
    state.ProgramDir = ProgramDirOf(options.polygons);
    state.TempDir = options.folder;
    const auto registry = ql::platform::MakeRegistryReader();
    const auto windows = ql::ui::CreateWindows(state, *registry);
    // What the polygon window does before the first scan, done here at once.
    bench::LoadPolygons(state, options.polygons);
    state.PolygonsPending = false;
    ql::ui::TfrmMain& main = *windows->frmMain;
    main.show();
    // A user takes a moment in the open dialog: what the start set going (the
    // web window's browser processes) settles meanwhile, as it does for them.
    QEventLoop settle;
    QTimer::singleShot(SettleMs, &settle, &QEventLoop::quit);
    settle.exec();
    // The system here drops pages of a file it has not read for a few
    // seconds from its cache; the engine's run starts right after the file
    // was read through. So does the window's: the reading again times the
    // same open, not a disk.
    bench::TimeWordCountLines(options.file);
    auto* list = main.findChild<QTableView*>(QStringLiteral("ListView1"));
    if (!list) throw std::runtime_error("no list in the main window");

    // The list model's reset ends the scan; the scan's notice ends the windows
    // that follow it (this connection is the last one made, so it runs last).
    bench::Stopwatch clock;
    double listReset = -1, scanNotice = -1;
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, [&] { listReset = clock.seconds(); });
    QObject::connect(&main, &ql::ui::TfrmMain::scanFinished, [&] { scanNotice = clock.seconds(); });
    clock = bench::Stopwatch();
    main.FileOpen1Accept(QString::fromStdString(options.file));
    const double accepted = clock.seconds();
    // The reading and the scan run beside the window; their end comes back to it.
    if (main.busy()) {
        QEventLoop wait;
        QObject::connect(&main, &ql::ui::TfrmMain::stepEnded, &wait, &QEventLoop::quit);
        wait.exec();
    }
    // Back in the event loop the window lays out and draws what the scan
    // changed, the list's visible rows with it. Drawn once: where that
    // happened in the loop the list shows then, else it is drawn here.
    PaintsSeen listPaints;
    list->viewport()->installEventFilter(&listPaints);
    QApplication::processEvents();
    if (listPaints.count == 0) list->viewport()->repaint();
    const double shown = clock.seconds();
    list->viewport()->removeEventFilter(&listPaints);
    const int rows = list->model()->rowCount();

    // What waits for a command of its own, timed here for the record.
    bench::Stopwatch overviewClock;
    const ql::DistrictOverview overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);
    const double overviewSeconds = overviewClock.seconds();
    bench::Stopwatch pageClock;
    const std::string page =
        ql::JoinPageLines(ql::BuildNipPageLines(state.NIPList, state.PlacemarkFiles, state.TempDir));
    const double pageSeconds = pageClock.seconds();

    std::printf("%.6f %.6f %.6f %.6f %.6f %.6f %d %zu %zu %d\n", listReset, scanNotice, accepted, shown,
                overviewSeconds, pageSeconds, rows, overview.finds.size(), page.size(), state.NotInPolygonCount);
    return rows > 0 ? 0 : 1;
}

class Series {
public:
    void Add(double v) { values_.push_back(v); }
    double Median() const
    {
        std::vector<double> v = values_;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Max() const { return values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end()); }
    double Min() const { return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end()); }

private:
    std::vector<double> values_;
};

void Print(const char* name, const Series& s)
{
    std::fprintf(stderr, "  %-44s min %8.4f  median %8.4f  worst %8.4f s\n", name, s.Min(), s.Median(), s.Max());
}

std::string Run(const Options& options, const std::string& folder, const char* kind)
{
    const std::string command = bench::ShellQuote(ql::platform::ExecutablePath()) + " --child " + kind + " " +
                                bench::ShellQuote(bench::MakeFolderIn(folder, kind)) + " --polygons " +
                                bench::ShellQuote(options.polygons) + " " + bench::ShellQuote(options.file);
    std::string output;
    if (!bench::RunCapturingOutput(command, output)) throw std::runtime_error("the run failed: " + command);
    return output;
}

int Parent(const Options& options)
{
    bench::TempFolder temp("open-bench", options.temp);
    bench::TimeWordCountLines(options.file);  // the file into the cache first
    Series engine, listReset, scanNotice, accepted, shown, overview, page, tool, pairs;
    int rows = 0;
    std::size_t finds = 0, pageBytes = 0;
    int outside = 0;
    for (int run = 0; run < options.runs; ++run) {
        tool.Add(bench::TimeWordCountLines(options.file).wall);
        // The machine's speed drifts within minutes: each window run is set
        // against the engine run next to it, and which of the two goes first
        // alternates.
        double e = 0;
        const auto engineRun = [&] {
            if (std::sscanf(Run(options, temp.path(), "engine").c_str(), "%lf", &e) != 1)
                throw std::runtime_error("no figures from the engine run");
        };
        if (run % 2 == 0) engineRun();
        double r = 0, n = 0, a = 0, s = 0, o = 0, p = 0;
        if (std::sscanf(Run(options, temp.path(), "window").c_str(), "%lf %lf %lf %lf %lf %lf %d %zu %zu %d", &r, &n,
                        &a, &s, &o, &p, &rows, &finds, &pageBytes, &outside) != 10)
            throw std::runtime_error("no figures from the window run");
        if (run % 2 == 1) engineRun();
        engine.Add(e);
        if (e > 0) pairs.Add(s / e);
        listReset.Add(r);
        scanNotice.Add(n - r);
        accepted.Add(a);
        shown.Add(s);
        overview.Add(o);
        page.Add(p);
    }
    std::fprintf(stderr,
                 "%s: %d rows in the list, %d not in any district, %d runs, each in a fresh process (offscreen)\n",
                 options.file.c_str(), rows, outside, options.runs);
    Print("wc -l", tool);
    Print("engine: load and scan", engine);
    Print("window: acceptance to the list's reset", listReset);
    Print("window: then the windows that follow a scan", scanNotice);
    Print("window: acceptance until the window answers again", accepted);
    Print("window: acceptance to the list shown", shown);
    std::fprintf(stderr, "  %-44s median %+.4f s, worst %+.4f s  (target <= 0.25 s)\n",
                 "list shown, beyond the engine's load and scan", shown.Median() - engine.Median(),
                 shown.Max() - engine.Max());
    if (engine.Median() > 0)
        std::fprintf(stderr, "  %-44s %.2fx the engine's median  (target within 10 %%)\n", "list shown, median",
                     shown.Median() / engine.Median());
    std::fprintf(stderr, "  %-44s median %.2fx, min %.2fx, worst %.2fx\n",
                 "list shown against the engine run beside it", pairs.Median(), pairs.Min(), pairs.Max());
    std::fprintf(stderr, "not part of the open (a command of its own each):\n");
    Print("district overview's figures", overview);
    std::fprintf(stderr, "  %-44s %zu finds\n", "", finds);
    Print("page of finds outside every district", page);
    std::fprintf(stderr, "  %-44s %zu bytes\n", "", pageBytes);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: open-bench --polygons DIR [--runs N] [--temp DIR] FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // Offscreen windows, and Chromium (behind the web window, made at the
    // start as in the program) without its sandbox or GPU, unless the caller says otherwise.
    const auto setDefault = [](const char* name, const char* value) {
        if (qgetenv(name).isEmpty()) qputenv(name, value);
    };
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS",
               "--no-sandbox --disable-gpu --disable-background-networking "
               "--disable-component-update --disable-sync --no-first-run");
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) options.polygons = argv[++i];
        else if (arg == "--runs" && i + 1 < argc) options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--temp" && i + 1 < argc) options.temp = argv[++i];
        else if (arg == "--child" && i + 2 < argc) {
            options.child = argv[++i];
            options.folder = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options.file.empty()) options.file = arg;
        else return Usage();
    }
    if (options.file.empty() || options.polygons.empty()) return Usage();
    try {
        if (options.child == "engine") return EngineRun(options);
        if (options.child == "window") {
            QApplication app(argc, argv);
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            ql::ui::InstallFontSubstitutes();
            return WindowRun(options);
        }
        return Parent(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}

// query-bench speed: opening a query stage by stage, side by side with the
// plain tools on the same file, over several runs: `wc -l` against reading,
// checking, splitting and scanning the GPX; `unzip -p | wc -l` against the
// whole open of the ZIP. Each run alternates the tools and the program, so a
// busy machine slows both; the spread (min, median, max) shows a slow first
// allocation or a noisy neighbour. With --fresh every open runs in a process
// of its own, started for it, as a user's first open after the program's
// start: nothing the earlier runs set up (memory, huge pages) helps it.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "base/user_error.h"
#include "commands.h"
#include "state/app_state.h"
#include "scan/placemark.h"
#include "query/query_pipeline.h"
#include "scan/scanner.h"
#include "measure.h"
#include "platform/platform.h"
#include "setup.h"

#ifdef __linux__
#include <sys/statfs.h>
#endif

namespace {

// The machine's load, to read the figures by: other work slows both sides.
std::string LoadAverage()
{
#ifdef __linux__
    std::string text = ql::platform::ReadWholeFile("/proc/loadavg");
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
#else
    return "unknown";
#endif
}

// What kind of file system holds the folder.
const char* FileSystemOf([[maybe_unused]] const std::string& folder)
{
#ifndef __linux__
    return "unknown";
#else
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return "unknown";
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53: return "ext4";
    case 0x01021994: return "tmpfs";
    case 0x9123683E: return "btrfs";
    case 0x58465342: return "xfs";
    default: return "other";
    }
#endif
}

struct Options {
    std::string polygons;
    std::string gpx;
    std::string zip;
    int runs = 10;
    bool fresh = false;  // a process of its own for each open
    bool copy = false;  // the GPX read into memory rather than mapped
    std::string child;  // set in such a process: the folder of its placemark files
};

// One figure over the runs.
class Series {
public:
    void Add(double v) { values_.push_back(v); }
    bool Empty() const { return values_.empty(); }
    double Min() const { return *std::min_element(values_.begin(), values_.end()); }
    double Max() const { return *std::max_element(values_.begin(), values_.end()); }
    double Median() const
    {
        std::vector<double> v = values_;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

private:
    std::vector<double> values_;
};

void PrintSeries(const char* name, const Series& s, const char* unit = "s")
{
    if (s.Empty()) return;
    std::fprintf(stderr, "  %-30s min %8.4f  median %8.4f  max %8.4f %s\n", name, s.Min(), s.Median(), s.Max(), unit);
}

void PrintRatio(const char* name, const Series& ours, const Series& theirs, double target, double goal)
{
    if (ours.Empty() || theirs.Empty() || theirs.Min() <= 0) return;
    const double median = ours.Median() / theirs.Median();
    std::fprintf(stderr, "  %-30s median %.2fx (min/min %.2fx, max/max %.2fx)  target <= %.1fx %s, goal %.1fx %s\n",
                 name, median, ours.Min() / theirs.Min(), ours.Max() / theirs.Max(), target,
                 median <= target ? "met" : "MISSED", goal, median <= goal ? "met" : "missed");
    // A stall shows in the worst run, not in the median.
    const double worst = ours.Median() > 0 ? ours.Max() / ours.Median() : 0;
    std::fprintf(stderr, "  %-30s %.2fx the median  target <= 1.5x %s\n", "worst run", worst,
                 worst <= 1.5 ? "met" : "MISSED");
}

// The figures of one kind of open.
struct OpenSeries {
    Series tool, first, split, check, scan, total, peak, files;
};

// The figures of one open.
struct OpenFigures {
    double first = 0, split = 0, check = 0, scan = 0, total = 0, peak = 0, files = 0;
    int rows = 0, notInPolygon = 0;

    void AddTo(OpenSeries& out) const
    {
        out.first.Add(first);
        out.split.Add(split);
        out.check.Add(check);
        out.scan.Add(scan);
        out.total.Add(total);
        out.peak.Add(peak);
        out.files.Add(files);
    }
};

// What the stages of one kind of file are called, and its targets.
struct OpenNames {
    const char* kind;
    const char* tool;  // the system's own count of the lines
    const char* first;  // the load
    const char* total;
    double target, goal;  // for total / tool
};

void PrintOpen(const OpenNames& names, const std::string& file, const OpenSeries& series)
{
    std::fprintf(stderr, "%s %s\n", names.kind, file.c_str());
    PrintSeries(names.tool, series.tool);
    PrintSeries(names.first, series.first);
    PrintSeries("check and split", series.split);
    PrintSeries("My Finds check", series.check);
    PrintSeries("scan (as beside the window)", series.scan);
    PrintSeries("placemark files, after the list", series.files);
    PrintSeries(names.total, series.total);
    PrintSeries("peak memory growth", series.peak, "x the GPX size");
    PrintRatio((std::string(names.total) + " / " + names.tool).c_str(), series.total, series.tool, names.target,
               names.goal);
}

// Peak memory growth of the stage that follows, against the present resident set.
class PeakGrowth {
public:
    PeakGrowth() : reset_(bench::ResetPeakResident()), baseline_(bench::ResidentBytes()) {}
    double Times(std::uint64_t bytes) const
    {
        const std::uint64_t peak = bench::PeakResidentBytes();
        return reset_ && bytes ? static_cast<double>(peak - std::min(peak, baseline_)) / static_cast<double>(bytes) : 0;
    }

private:
    bool reset_;
    std::uint64_t baseline_;
};

// Opens one query on the main window's path: load (read or extract), check
// and split, the My Finds check, the scan beside the window into results of
// its own. The list shows then; the placemark files follow beside it, timed
// on their own after the open.
OpenFigures OpenOnce(ql::AppState& state, const std::string& runFolder, const std::string& file, bool zip, bool copy)
{
    // A first open, as at the program's start: the last run's query goes
    // before the clock starts, and its files stay where they are, in a folder
    // of their own. Deleting them now would time something else: a file
    // system without a journal (ext4 here) passes over inodes freed in the
    // last half minute when it makes new ones, so creating files right after
    // deleting as many costs several times as much.
    state.QueryLines = ql::QueryText();
    state.PlacemarkFiles.clear();
    state.TempDir = bench::MakeFolderIn(runFolder, "run");
    const PeakGrowth growth;
    bench::Stopwatch clock;
    const ql::CancelToken stop;  // the window's step looks at it; nobody stops here
    std::size_t size = 0;
    double loaded = 0, split = 0;
    bench::OnAThreadOfItsOwn([&] {
        ql::platform::LargeBuffer bytes;
        if (copy && !zip) {
            // --copy: the GPX read into memory, as before it was mapped.
            bytes = ql::platform::ReadWholeFileLarge(file);
        } else {
            // What OpenQuery does for the window, in its two stages.
            ql::NoExtractProgress progress;
            bytes = ql::ReadQueryBytes(file, progress);
        }
        size = bytes.Size();
        loaded = clock.seconds();
        state.QueryLines = ql::QueryText::FromBuffer(std::move(bytes));
        split = clock.seconds();
    });
    if (!ql::IsMyFindsQuery(state.QueryLines)) throw ql::UserError("not a My Finds query: " + file);
    const double checked = clock.seconds();
    bench::ScanAsTheWindow(state, stop);
    const double total = clock.seconds();
    OpenFigures figures;
    figures.first = loaded;
    figures.split = split - loaded;
    figures.check = checked - split;
    figures.scan = total - checked;
    figures.total = total;
    figures.peak = growth.Times(size);
    figures.files = bench::WritePlacemarksBeside(state);
    figures.rows = static_cast<int>(state.Rows.size());
    figures.notInPolygon = state.NotInPolygonCount;
    return figures;
}

// One open in this process, started by a --fresh run: its figures as one line
// on the standard output.
int ChildRun(const Options& options)
{
    ql::AppState state;
    state.TempDir = options.child;
    bench::LoadPolygons(state, options.polygons);
    const OpenFigures f = OpenOnce(state, options.child, options.gpx, ql::HasZipExtension(options.gpx), options.copy);
    std::printf("%.6f %.6f %.6f %.6f %.6f %.6f %.6f %d %d\n", f.first, f.split, f.check, f.scan, f.total, f.peak,
                f.files, f.rows, f.notInPolygon);
    return 0;
}

// One open in a process of its own.
OpenFigures FreshOpen(const Options& options, const std::string& runFolder, const std::string& file)
{
    const std::string command = bench::ShellQuote(ql::platform::ExecutablePath()) + " speed --child " +
                                bench::ShellQuote(runFolder) + " --polygons " + bench::ShellQuote(options.polygons) +
                                (options.copy ? " --copy " : " ") + bench::ShellQuote(file);
    std::string line;
    OpenFigures f;
    if (!bench::RunCapturingOutput(command, line) ||
        std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %lf %d %d", &f.first, &f.split, &f.check, &f.scan, &f.total,
                    &f.peak, &f.files, &f.rows, &f.notInPolygon) != 9)
        throw std::runtime_error("the open in a fresh process failed: " + command);
    return f;
}

int Usage()
{
    std::fprintf(stderr, "usage: query-bench speed --polygons DIR [--runs N] [--fresh] [--copy] FILE.gpx [FILE.zip]\n");
    return 2;
}

int Run(const Options& options)
{
    bench::TempFolder temp("query-speed");  // in the system's temporary folder, removed at the end
    ql::AppState state;
    state.TempDir = temp.path();
    bench::LoadPolygons(state, options.polygons);
    std::fprintf(stderr, "placemark files in %s (%s); load average before: %s\n", state.TempDir.c_str(),
                 FileSystemOf(state.TempDir), LoadAverage().c_str());

    // The files into the cache for every reader before the first run.
    bench::TimeWordCountLines(options.gpx);
    std::string unzipCount;
    if (!options.zip.empty()) {
        unzipCount = "unzip -p " + bench::ShellQuote(options.zip) + " | wc -l";
        std::size_t ignored = 0;
        bench::TimeShellCommand(unzipCount, ignored);
    }

    OpenSeries gpx, zip;
    OpenFigures last;
    const auto open = [&](const std::string& file, bool isZip, OpenSeries& out) {
        last = options.fresh ? FreshOpen(options, temp.path(), file)
                             : OpenOnce(state, temp.path(), file, isZip, options.copy);
        last.AddTo(out);
    };
    for (int run = 0; run < options.runs; ++run) {
        gpx.tool.Add(bench::TimeWordCountLines(options.gpx).wall);
        open(options.gpx, false, gpx);
        if (!options.zip.empty()) {
            std::size_t bytes = 0;
            zip.tool.Add(bench::TimeShellCommand(unzipCount, bytes));
            open(options.zip, true, zip);
        }
    }
    state.QueryLines = ql::QueryText();

    std::fprintf(stderr, "%d runs%s, %d rows, %d not in any district; load average after: %s\n", options.runs,
                 options.fresh ? ", each in a fresh process" : " in one process", last.rows, last.notInPolygon,
                 LoadAverage().c_str());
    // A first open in a fresh process is what a user feels; it has targets of its own.
    const char* load = options.copy ? "read" : "map";
    if (options.fresh) PrintOpen({"GPX", "wc -l", load, "load and scan", 3.0, 3.0}, options.gpx, gpx);
    else PrintOpen({"GPX", "wc -l", load, "load and scan", 4.0, 3.0}, options.gpx, gpx);
    if (!options.zip.empty()) {
        if (options.fresh) PrintOpen({"ZIP", "unzip -p | wc -l", "extract", "whole open", 0.8, 0.8}, options.zip, zip);
        else PrintOpen({"ZIP", "unzip -p | wc -l", "extract", "whole open", 1.5, 1.0}, options.zip, zip);
    }
    return 0;
}

}  // namespace

int SpeedMain(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) options.polygons = argv[++i];
        else if (arg == "--runs" && i + 1 < argc) options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--fresh") options.fresh = true;
        else if (arg == "--copy") options.copy = true;
        else if (arg == "--child" && i + 1 < argc) options.child = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && options.gpx.empty()) options.gpx = arg;
        else if (!arg.empty() && arg[0] != '-' && options.zip.empty()) options.zip = arg;
        else return Usage();
    }
    if (options.gpx.empty() || options.polygons.empty()) return Usage();
    try {
        if (!options.child.empty()) return ChildRun(options);
        return Run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}

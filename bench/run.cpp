// query-bench run: loads a query with the program's own engine, scans it on
// the district polygons and reports time and memory per stage, side by side
// with `wc -l` on the same file and with the plain district search.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "archive/extract.h"
#include "commands.h"
#include "state/app_state.h"
#include "reports/proof_list.h"
#include "scan/placemark_folder.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "core/tables.h"
#include "scan/text_cut.h"
#include "base/user_error.h"
#include "geo/number.h"
#include "geo/point_in_polygon.h"
#include "measure.h"
#include "overview.h"
#include "setup.h"
#include "platform/platform.h"

namespace {

struct Options {
    std::string polygons;
    std::string file;
    bool noCutoff = false;
    bool rows = false;
    bool proof = false;
    ql::ProofFormat format = ql::ProofFormat::Text;
    double threshold = ql::DefaultBorderThreshold;
};

// One stage: wall time, and the processor time since the stage's start mark.
void Stage(const char* name, double seconds, double cpuStart, std::size_t finds, const ql::AppState& state)
{
    const double cpu = bench::ProcessCpuSeconds() - cpuStart;
    char rate[32] = "-";
    if (finds > 0 && seconds > 0) std::snprintf(rate, sizeof rate, "%.0f", finds / seconds);
    std::fprintf(stderr, "%-14s %9.4f s  cpu %7.4f s  rows %7zu  not-in-polygon %6d  %10s finds/s  peak %8.1f MiB\n",
                 name, seconds, cpu, state.Rows.size(), state.NotInPolygonCount, rate,
                 bench::MiB(bench::PeakResidentBytes()));
}

// The waypoints' points, as the scan reads them from the waypoint lines.
std::vector<ql::TFPoint> WaypointPoints(const ql::QueryText& lines)
{
    std::vector<ql::TFPoint> points;
    for (std::size_t i = 9; i < lines.Size(); ++i) {
        const std::string_view line = lines.At(i);
        if (line.find("<wpt") == std::string_view::npos) continue;
        try {
            points.push_back({ql::ParseDecimal(ql::CutValue(line, "lat=\"", "\"", ql::SearchFrom::AfterOpen)),
                              ql::ParseDecimal(ql::CutValue(line, "lon=\"", "\"", ql::SearchFrom::AfterOpen))});
        } catch (const ql::UserError&) {
        }
    }
    return points;
}

// The district index against the plain crossing rule on the same points.
void CompareDistrictSearch(const ql::AppState& state, const std::vector<ql::TFPoint>& all)
{
    if (all.empty()) return;
    // The plain search is slow; a spread-out sample of the points keeps it short.
    std::vector<ql::TFPoint> points;
    const std::size_t step = std::max<std::size_t>(1, all.size() / 20000);
    for (std::size_t i = 0; i < all.size(); i += step) points.push_back(all[i]);

    std::vector<int> fast(points.size()), plain(points.size());
    int rounds = 0;
    bench::Stopwatch fastClock;
    do {
        for (std::size_t i = 0; i < points.size(); ++i) fast[i] = state.PolyTable.Find(points[i]).value_or(-1);
        ++rounds;
    } while (fastClock.seconds() < 0.2);
    const double fastPerPoint = fastClock.seconds() / (static_cast<double>(rounds) * points.size());

    bench::Stopwatch plainClock;
    for (std::size_t i = 0; i < points.size(); ++i)
        plain[i] = ql::FindDistrictPlain(state.PolyTable.Polygons(), points[i]);
    const double plainPerPoint = plainClock.seconds() / points.size();

    const auto differing =
        std::mismatch(fast.begin(), fast.end(), plain.begin()) != std::make_pair(fast.end(), plain.end());
    std::fprintf(stderr,
                 "district search on %zu points: index %.3f us/point, plain %.3f us/point, index %.1fx quicker "
                 "(target >= 20x)%s\n",
                 points.size(), fastPerPoint * 1e6, plainPerPoint * 1e6, plainPerPoint / fastPerPoint,
                 differing ? "  ANSWERS DIFFER" : ", same answers");
}

std::size_t PolygonVertices(const ql::AppState& state)
{
    std::size_t n = 0;
    for (const ql::TPolyArray& polygon : state.PolyTable) n += polygon.size();
    return n;
}

// A value whole, a NUL byte included, then `after`.
void PrintValue(const std::string& value, char after)
{
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::fputc(after, stdout);
}

void PrintRows(const ql::AppState& state, const ql::DistrictOverview& overview)
{
    for (std::size_t i = 0; i < state.Rows.size(); ++i) {
        const ql::CacheRow& r = state.Rows[i];
        PrintValue(r.GCCode, '\t');
        std::printf("%d\t", r.TypeIndex);
        for (const std::string* value :
             {&r.Name, &r.Difficulty, &r.Terrain, &r.FindDate, &r.District, &r.LatText, &r.LonText})
            PrintValue(*value, '\t');
        PrintValue(bench::BorderColumn(overview, i), '\n');
    }
    std::printf("tally");
    for (int count : state.DistrictTally) std::printf("\t%d", count);
    std::printf("\nnip\t%d\n", state.NotInPolygonCount);
}

using bench::BoxText;

int Usage()
{
    std::fprintf(stderr,
                 "usage: query-bench run --polygons DIR [--no-cutoff] [--rows] [--proof [--format text|bbcode|csv] "
                 "[--threshold M]] FILE\n");
    return 2;
}

int Run(const Options& options)
{
    // The placemark files go where the program puts them.
    const ql::PlacemarkFolder placemarks(ql::platform::GetTempDir());
    // The engine first: it refuses a device, a FIFO, a file that never ends or
    // one beyond the limits on its own; `wc -l` reads the file only after the
    // engine has succeeded on it.
    ql::AppState state;
    state.TempDir = placemarks.Path();
    state.QueryFileName = options.file;
    state.CutoffEnabled = !options.noCutoff;

    bench::Stopwatch polygonClock;
    const double polygonCpu = bench::ProcessCpuSeconds();
    bench::LoadPolygons(state, options.polygons);
    std::fprintf(stderr, "%-14s %9.4f s  cpu %.4f s  peak %.1f MiB  (with the district index; vertices %zu)\n",
                 "polygons", polygonClock.seconds(), bench::ProcessCpuSeconds() - polygonCpu,
                 bench::MiB(bench::PeakResidentBytes()), PolygonVertices(state));

    const bool zip = ql::HasZipExtension(options.file);

    const bool peakReset = bench::ResetPeakResident();
    const std::uint64_t baseline = peakReset ? bench::ResidentBytes() : bench::PeakResidentBytes();

    const double cpuBefore = bench::ProcessCpuSeconds();
    bench::Stopwatch total;
    bench::Stopwatch loadClock;
    const double loadCpu = bench::ProcessCpuSeconds();
    // The open on the main window's path: the reading and the scan as they
    // run beside it, the placemark files after the list shows.
    const ql::CancelToken stop;
    state.QueryLines = bench::OpenAsTheWindow(options.file, stop);
    const std::size_t gpxBytes = state.QueryLines.TextBytes();
    Stage(zip ? "extract+split" : "read+split", loadClock.seconds(), loadCpu, 0, state);

    bench::Stopwatch checkClock;
    const std::optional<std::string> queryDate = ql::IsMyFindsQuery(state.QueryLines);
    std::fprintf(stderr, "%-14s %9.4f s  %s\n", "my-finds check", checkClock.seconds(),
                 queryDate ? queryDate->c_str() : "no");
    if (!queryDate) throw ql::UserError(" Fehler !  Das ist keine MyFinds Query - Datei .");

    bench::Stopwatch scanClock;
    const double scanCpu = bench::ProcessCpuSeconds();
    const ql::QueryScan scan = bench::ScanAsTheWindow(state, stop);
    const int rows = scan.Rows;
    const double scanSeconds = scanClock.seconds();
    const double scanCpuSeconds = bench::ProcessCpuSeconds() - scanCpu;
    const double totalSeconds = total.seconds();
    const double totalCpu = bench::ProcessCpuSeconds() - cpuBefore;
    Stage("scan", scanSeconds, scanCpu, static_cast<std::size_t>(rows), state);
    Stage("load+scan", totalSeconds, cpuBefore, static_cast<std::size_t>(rows), state);
    const std::size_t files = state.PlacemarkFiles.size();
    const double filesCpu = bench::ProcessCpuSeconds();
    std::fprintf(stderr, "%-14s %9.4f s  cpu %.4f s  (%zu, beside the window after the list)\n", "placemark files",
                 bench::WritePlacemarksBeside(state), bench::ProcessCpuSeconds() - filesCpu, files);
    const std::uint64_t growth = bench::PeakResidentBytes() - std::min(baseline, bench::PeakResidentBytes());

    // Best of three, after a first run that brings the file into the cache.
    bench::Timing wc;
    if (!zip && scan.Incomplete.empty()) {
        bench::TimeWordCountLines(options.file);
        wc = bench::BestOf(3, [&] { return bench::TimeWordCountLines(options.file); });
        std::fprintf(stderr, "%-14s %9.4f s  cpu %.4f s  (best of 3)\n", "wc -l", wc.wall, wc.cpu);
    }

    std::fprintf(stderr, "lines %zu, GPX %.1f MiB, query held in %.1f MiB\n", state.QueryLines.Size(),
                 bench::MiB(gpxBytes), bench::MiB(state.QueryLines.MemoryBytes()));
    if (wc.wall > 0)
        std::fprintf(stderr, "load+scan / wc -l: wall %.2f, cpu %.2f (target <= 3)\n", totalSeconds / wc.wall,
                     wc.cpu > 0 ? totalCpu / wc.cpu : 0.0);
    std::fprintf(stderr, "peak memory growth %.1f MiB = %.2f x the GPX size (target <= 1.5)%s\n", bench::MiB(growth),
                 gpxBytes ? static_cast<double>(growth) / gpxBytes : 0.0,
                 peakReset ? "" : " (peak not resettable: includes the polygons)");

    bench::Stopwatch rescanClock;
    const double rescanCpu = bench::ProcessCpuSeconds();
    std::vector<std::string> previousFiles = state.PlacemarkFiles;
    bench::ScanAsTheWindow(state, stop);
    Stage("scan again", rescanClock.seconds(), rescanCpu, state.Rows.size(), state);
    bench::WritePlacemarksBeside(state, std::move(previousFiles));

    CompareDistrictSearch(state, WaypointPoints(state.QueryLines));

    const ql::DistrictOverview overview = bench::MeasureOverview(state, scanSeconds, scanCpuSeconds);
    if (options.rows) PrintRows(state, overview);
    // The proof list exactly as the overview window saves it: the file's bytes.
    if (options.proof) {
        const std::string file = ql::ProofListFile(
            ql::BuildProofList(overview, state.Rows, options.threshold, options.format), options.format);
#ifdef _WIN32
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);  // CR LF as written, not doubled
#endif
        std::fwrite(file.data(), 1, file.size(), stdout);
    }
    if (!scan.Incomplete.empty()) {
        std::fprintf(stderr, "%s\n", BoxText(scan.Incomplete).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunMain(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) options.polygons = argv[++i];
        else if (arg == "--no-cutoff") options.noCutoff = true;
        else if (arg == "--rows") options.rows = true;
        else if (arg == "--proof") options.proof = true;
        else if (arg == "--format" && i + 1 < argc) {
            const std::string format = argv[++i];
            if (format == "text") options.format = ql::ProofFormat::Text;
            else if (format == "bbcode") options.format = ql::ProofFormat::BBCode;
            else if (format == "csv") options.format = ql::ProofFormat::Csv;
            else return Usage();
        } else if (arg == "--threshold" && i + 1 < argc) {
            options.threshold = std::atof(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && options.file.empty()) options.file = arg;
        else return Usage();
    }
    if (options.file.empty() || options.polygons.empty()) return Usage();
    try {
        return Run(options);
    } catch (const ql::UserError& e) {
        std::fprintf(stderr, "%s\n", BoxText(e.what()).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", BoxText(e.what()).c_str());
    }
    return 1;
}

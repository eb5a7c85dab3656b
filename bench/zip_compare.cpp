// query-bench zip-compare: the program's extraction of the GPX entry side by
// side with `unzip -p`, and the whole open of a query archive side by side with
// `unzip -p | wc -l`.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "archive/extract.h"
#include "archive/zip_mask.h"
#include "archive/zip_reader.h"
#include "commands.h"
#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "scan/scanner.h"
#include "base/user_error.h"
#include "measure.h"
#include "setup.h"
#include "platform/platform.h"

namespace {

constexpr int Rounds = 3;

// The name of the entry the program takes, escaped for unzip's own wildcards.
std::string ChosenEntry(const std::string& path)
{
    ql::zip::ZipReader reader;
    reader.Open(path);
    for (const auto& e : reader.Entries()) {
        if (!ql::zip::MatchesMask(e.Name, "*.gpx")) continue;
        std::string escaped;
        for (char c : e.Name) {
            if (c == '[' || c == ']' || c == '*' || c == '?' || c == '\\') escaped += '\\';
            escaped += c;
        }
        return escaped;
    }
    throw ql::UserError("no top-level GPX entry");
}

// Best of the rounds, wall clock and processor time each; `cpuClock` says whose
// processor time counts (this process's, or the children's for a command).
template <class Body>
bench::Timing Best(double (*cpuClock)(), Body&& body)
{
    return bench::BestOf(Rounds, [&] { return bench::Timed(cpuClock, body); });
}

void Ratio(const char* what, const bench::Timing& ours, const bench::Timing& theirs, double target)
{
    if (ours.wall < 0 || theirs.wall <= 0 || theirs.cpu <= 0) {
        std::fprintf(stderr, "%-34s could not be compared\n", what);
        return;
    }
    const double wall = ours.wall / theirs.wall, cpu = ours.cpu / theirs.cpu;
    std::fprintf(stderr, "%-34s wall %.2fx %s, processor %.2fx %s (target <= %.1fx)\n", what, wall,
                 wall <= target ? "met" : "MISSED", cpu, cpu <= target ? "met" : "MISSED", target);
}

void Line(const char* what, const bench::Timing& t)
{
    std::fprintf(stderr, "%-26s %8.4f s wall %8.4f s processor\n", what, t.wall, t.cpu);
}

int Compare(const std::string& file, std::string polygons)
{
    const std::string entry = ChosenEntry(file);
    const std::string unzip = "unzip -p " + bench::ShellQuote(file) + " " + bench::ShellQuote(entry);

    std::size_t unzipBytes = 0, ourBytes = 0;
    bench::TimeShellCommand(unzip, unzipBytes);  // brings the archive into the cache for both
    const bench::Timing unzipSeconds =
        Best(bench::ChildrenCpuSeconds, [&] { return bench::TimeShellCommand(unzip, unzipBytes); });
    ql::NoExtractProgress progress;
    const bench::Timing extractSeconds = Best(bench::ProcessCpuSeconds, [&] {
        bench::Stopwatch clock;
        ourBytes = ql::ExtractFirstGpx(file, progress).Size();
        return clock.seconds();
    });
    std::fprintf(stderr, "entry %s, %zu bytes (unzip -p: %zu bytes)\n", entry.c_str(), ourBytes, unzipBytes);
    Line("ExtractFirstGpx", extractSeconds);
    Line("unzip -p", unzipSeconds);
    Ratio("extraction / unzip -p", extractSeconds, unzipSeconds, 1.2);

    bench::TempFolder temp("zip-compare");
    ql::AppState state;
    state.TempDir = temp.path();
    bench::LoadPolygons(state, polygons);

    std::size_t lineBytes = 0;
    const bench::Timing wcSeconds =
        Best(bench::ChildrenCpuSeconds, [&] { return bench::TimeShellCommand(unzip + " | wc -l", lineBytes); });
    int rows = 0;
    bool myFinds = false;
    double stages[4] = {};
    const bench::Timing openSeconds = Best(bench::ProcessCpuSeconds, [&] {
        bench::Stopwatch clock;
        ql::platform::LargeBuffer bytes = ql::ReadQueryBytes(file, progress);
        const double extracted = clock.seconds();
        state.QueryLines = ql::QueryText::FromBuffer(std::move(bytes));
        const double split = clock.seconds();
        myFinds = ql::IsMyFindsQuery(state.QueryLines).has_value();
        const double checked = clock.seconds();
        if (myFinds) rows = ql::ScanWaypoints(state);
        const double total = clock.seconds();
        const double now[4] = {extracted, split - extracted, checked - split, total - checked};
        if (stages[0] == 0 || total < stages[0] + stages[1] + stages[2] + stages[3]) std::copy(now, now + 4, stages);
        return total;
    });
    Line("extract+split+check+scan", openSeconds);
    Line("unzip -p | wc -l", wcSeconds);
    std::fprintf(stderr, "  lines %zu, rows %d%s\n", state.QueryLines.Size(), rows,
                 myFinds ? "" : " (not a My Finds query: no scan)");
    std::fprintf(stderr, "  wall of the best round: extract %.4f s, split %.4f s, check %.4f s, scan %.4f s\n", stages[0], stages[1],
                 stages[2], stages[3]);
    Ratio("whole open / (unzip -p | wc -l)", openSeconds, wcSeconds, 1.5);
    std::fprintf(stderr, "peak resident %.1f MiB\n", bench::MiB(bench::PeakResidentBytes()));
    return 0;
}

}  // namespace

int ZipCompareMain(int argc, char** argv)
{
    std::string file, polygons = ql::platform::ExecutableDir() + "../bin/rlp_polygons/";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) polygons = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && file.empty()) file = arg;
        else file.clear(), i = argc;
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: query-bench zip-compare [--polygons DIR] FILE.zip\n");
        return 2;
    }
    try {
        return Compare(file, polygons);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}

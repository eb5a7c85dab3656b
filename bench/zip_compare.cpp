// query-bench zip-compare: the program's extraction of the GPX entry side by
// side with `unzip -p`, and the whole open of a query archive side by side with
// `unzip -p | wc -l`.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include <stdlib.h>
#include <sys/resource.h>

#include "archive/extract.h"
#include "archive/zip_mask.h"
#include "archive/zip_reader.h"
#include "commands.h"
#include "core/app_state.h"
#include "core/query_pipeline.h"
#include "core/scanner.h"
#include "core/tables.h"
#include "core/user_error.h"
#include "geo/point_in_polygon.h"
#include "geo/polygon_files.h"
#include "measure.h"
#include "platform/platform.h"

namespace {

constexpr int Rounds = 3;

// Processor time (user + system) of this process or of its waited-for children:
// on a busy machine a fairer figure than the wall clock.
double CpuSeconds(int who)
{
    rusage u{};
    ::getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = -1;
    double cpu = -1;
};

class SilentProgress : public ql::ExtractProgress {
public:
    void OnFileProgress(double) override {}
    void OnOverallProgress(double) override {}
};

std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

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

// Runs a shell command and counts the bytes of its output; negative on failure.
double TimePipe(const std::string& command, std::size_t& bytes)
{
    bench::Stopwatch clock;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    static char buffer[1 << 16];
    bytes = 0;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) bytes += n;
    const int status = ::pclose(pipe);
    return status == 0 ? clock.seconds() : -1;
}

// Best of the rounds, wall clock and processor time each; `who` says whose
// processor time counts (RUSAGE_SELF, or RUSAGE_CHILDREN for a command).
template <class Body>
Timing Best(int who, Body&& body)
{
    Timing best;
    for (int i = 0; i < Rounds; ++i) {
        const double cpu0 = CpuSeconds(who);
        const double t = body();
        const double cpu = CpuSeconds(who) - cpu0;
        if (t >= 0 && (best.wall < 0 || t < best.wall)) best.wall = t;
        if (t >= 0 && (best.cpu < 0 || cpu < best.cpu)) best.cpu = cpu;
    }
    return best;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zip-compare-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern + ql::platform::PathSeparator;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void Ratio(const char* what, const Timing& ours, const Timing& theirs, double target)
{
    if (ours.wall < 0 || theirs.wall <= 0 || theirs.cpu <= 0) {
        std::fprintf(stderr, "%-34s could not be compared\n", what);
        return;
    }
    const double wall = ours.wall / theirs.wall, cpu = ours.cpu / theirs.cpu;
    std::fprintf(stderr, "%-34s wall %.2fx %s, processor %.2fx %s (target <= %.1fx)\n", what, wall,
                 wall <= target ? "met" : "MISSED", cpu, cpu <= target ? "met" : "MISSED", target);
}

void Line(const char* what, const Timing& t)
{
    std::fprintf(stderr, "%-26s %8.4f s wall %8.4f s processor\n", what, t.wall, t.cpu);
}

int Compare(const std::string& file, std::string polygons)
{
    const std::string entry = ChosenEntry(file);
    const std::string unzip = "unzip -p " + ShellQuote(file) + " " + ShellQuote(entry);

    std::size_t unzipBytes = 0, ourBytes = 0;
    TimePipe(unzip, unzipBytes);  // brings the archive into the cache for both
    const Timing unzipSeconds = Best(RUSAGE_CHILDREN, [&] { return TimePipe(unzip, unzipBytes); });
    SilentProgress progress;
    const Timing extractSeconds = Best(RUSAGE_SELF, [&] {
        bench::Stopwatch clock;
        ourBytes = ql::ExtractFirstGpx(file, progress).size();
        return clock.seconds();
    });
    std::fprintf(stderr, "entry %s, %zu bytes (unzip -p: %zu bytes)\n", entry.c_str(), ourBytes, unzipBytes);
    Line("ExtractFirstGpx", extractSeconds);
    Line("unzip -p", unzipSeconds);
    Ratio("extraction / unzip -p", extractSeconds, unzipSeconds, 1.2);

    TempFolder temp;
    ql::AppState state;
    state.TempDir = temp.path();
    if (!polygons.empty() && polygons.back() != ql::platform::PathSeparator) polygons += ql::platform::PathSeparator;
    for (int i = 0; i < ql::DistrictCount; ++i)
        ql::SetPolygon(state, i, ql::LoadPolygonFile(polygons + std::string(ql::DistrictFileNames[i]) + ".txt"));

    std::size_t lineBytes = 0;
    const Timing wcSeconds = Best(RUSAGE_CHILDREN, [&] { return TimePipe(unzip + " | wc -l", lineBytes); });
    int rows = 0;
    bool myFinds = false;
    double stages[4] = {};
    const Timing openSeconds = Best(RUSAGE_SELF, [&] {
        bench::Stopwatch clock;
        std::string bytes = ql::ExtractFirstGpx(file, progress);
        const double extracted = clock.seconds();
        state.QueryLines = ql::QueryText::FromBytes(std::move(bytes));
        const double split = clock.seconds();
        std::string date;
        myFinds = ql::IsMyFindsQuery(state.QueryLines, date);
        const double checked = clock.seconds();
        if (myFinds) rows = ql::ScanWaypoints(state);
        const double total = clock.seconds();
        const double now[4] = {extracted, split - extracted, checked - split, total - checked};
        if (stages[0] == 0 || total < stages[0] + stages[1] + stages[2] + stages[3]) std::copy(now, now + 4, stages);
        return total;
    });
    Line("extract+split+check+scan", openSeconds);
    Line("unzip -p | wc -l", wcSeconds);
    std::fprintf(stderr, "  lines %zu, rows %d%s\n", state.QueryLines.size(), rows,
                 myFinds ? "" : " (not a My Finds query: no scan)");
    std::fprintf(stderr, "  wall of the best round: extract %.4f s, split %.4f s, check %.4f s, scan %.4f s\n", stages[0], stages[1],
                 stages[2], stages[3]);
    Ratio("whole open / (unzip -p | wc -l)", openSeconds, wcSeconds, 1.5);
    std::fprintf(stderr, "peak resident %.1f MiB\n", bench::PeakResidentBytes() / (1024.0 * 1024.0));
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

// query-bench zip-compare: the program's extraction of the GPX entry side by
// side with `unzip -p`, and the whole open of a query archive side by side with
// `unzip -p | wc -l`.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include <stdlib.h>

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

template <class Body>
double Best(Body&& body)
{
    double best = -1;
    for (int i = 0; i < Rounds; ++i) {
        const double t = body();
        if (t >= 0 && (best < 0 || t < best)) best = t;
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

void Ratio(const char* what, double ours, double theirs, double target)
{
    if (ours < 0 || theirs <= 0) {
        std::fprintf(stderr, "%-40s could not be compared\n", what);
        return;
    }
    const double r = ours / theirs;
    std::fprintf(stderr, "%-40s %.2fx (target <= %.1fx) %s\n", what, r, target, r <= target ? "met" : "MISSED");
}

int Compare(const std::string& file, std::string polygons)
{
    const std::string entry = ChosenEntry(file);
    const std::string unzip = "unzip -p " + ShellQuote(file) + " " + ShellQuote(entry);

    std::size_t unzipBytes = 0, ourBytes = 0;
    TimePipe(unzip, unzipBytes);  // brings the archive into the cache for both
    const double unzipSeconds = Best([&] { return TimePipe(unzip, unzipBytes); });
    SilentProgress progress;
    const double extractSeconds = Best([&] {
        bench::Stopwatch clock;
        ourBytes = ql::ExtractFirstGpx(file, progress).size();
        return clock.seconds();
    });
    std::fprintf(stderr, "entry %s, %zu bytes (unzip -p: %zu bytes)\n", entry.c_str(), ourBytes, unzipBytes);
    std::fprintf(stderr, "%-24s %9.4f s\n%-24s %9.4f s\n", "ExtractFirstGpx", extractSeconds, "unzip -p", unzipSeconds);
    Ratio("extraction / unzip -p", extractSeconds, unzipSeconds, 1.2);

    TempFolder temp;
    ql::AppState state;
    state.TempDir = temp.path();
    if (!polygons.empty() && polygons.back() != ql::platform::PathSeparator) polygons += ql::platform::PathSeparator;
    for (int i = 0; i < ql::DistrictCount; ++i)
        ql::SetPolygon(state, i, ql::LoadPolygonFile(polygons + std::string(ql::DistrictFileNames[i]) + ".txt"));

    std::size_t lineBytes = 0;
    const double wcSeconds = Best([&] { return TimePipe(unzip + " | wc -l", lineBytes); });
    int rows = 0;
    bool myFinds = false;
    double stages[4] = {};
    const double openSeconds = Best([&] {
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
    std::fprintf(stderr, "%-24s %9.4f s  lines %zu, rows %d%s\n%-24s %9.4f s\n", "extract+split+check+scan",
                 openSeconds, state.QueryLines.size(), rows, myFinds ? "" : " (not a My Finds query: no scan)",
                 "unzip -p | wc -l", wcSeconds);
    std::fprintf(stderr, "  of which extract %.4f s, split %.4f s, check %.4f s, scan %.4f s\n", stages[0], stages[1],
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

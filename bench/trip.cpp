// query-bench trip: the shortest trip through one candidate in each district
// still wanted, as "Tour planen" finds it; and trip-bench, the solver's speed
// beside the planner's own load-and-rank of the same lists.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/user_error.h"
#include "commands.h"
#include "district_points.h"
#include "districts/district_overview.h"
#include "measure.h"
#include "planner/candidate_set.h"
#include "planner/gpx_export.h"
#include "planner/home_point.h"
#include "planner/plan.h"
#include "planner/planner_session.h"
#include "planner/trip_plan.h"
#include "platform/platform.h"
#include "query/query_pipeline.h"
#include "scan/placemark_folder.h"
#include "scan/query_scan.h"
#include "setup.h"
#include "state/app_state.h"

namespace {

using bench::BoxText;
using bench::Guarded;

// The candidates and their ranking as the planner has them.
struct RankedLists {
    ql::CandidateSet set;
    ql::CandidatePlan plan;
    std::vector<std::string> errors;
};

// The planner's ranking of the lists for the My Finds scan (cut-off on), as
// the planner session makes it.
RankedLists LoadRankedLists(const std::string& polygons, const std::string& finds,
                            const std::vector<std::string>& files, const ql::PlanFilter& filter)
{
    ql::AppState state;
    bench::LoadPolygons(state, polygons);
    bench::ScanMyFinds(state, finds);
    const ql::DistrictOverview overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);

    ql::PlannerSession session;
    session.SetBoundaries(&state.PolyTable);
    session.SetThreshold(filter.thresholdMetres);
    session.SetFilter(filter.onlyAvailable, filter.maxDifficulty, filter.maxTerrain);
    session.SetHome(filter.home);
    session.SetFinds(overview, ql::FoundCodes(state.QueryLines));
    RankedLists lists;
    lists.errors = session.AddFiles(files).Errors;
    lists.set = session.Lists();
    lists.plan = session.Plan();
    return lists;
}

struct TripOptions {
    std::string polygons, finds, gpx, home;
    std::vector<std::string> candidates, excluded;
    ql::TripRequest request;
};

int TripUsage()
{
    std::fprintf(stderr,
                 "usage: query-bench trip --polygons DIR --finds MYFINDS.gpx --home \"N 49° 59.123 E 008° 15.456\" "
                 "[--return] [--clear-of-border] [--pin GCXXXX]... [--exclude DISTRICT]... CANDIDATES.gpx... "
                 "[--gpx OUT.gpx]\n");
    return 2;
}

int DistrictByName(const std::string& name)
{
    for (int d = 0; d < ql::DistrictCount; ++d)
        if (ql::DistrictNames[static_cast<std::size_t>(d)] == name) return d;
    throw ql::UserError("Einen Kreis \"" + name + "\" gibt es nicht.");
}

int Trip(TripOptions o)
{
    ql::PlanFilter filter;
    filter.home = o.request.Home = ql::ParseHomePoint(o.home);
    for (const std::string& name : o.excluded) o.request.Excluded.push_back(DistrictByName(name));
    const RankedLists lists = LoadRankedLists(o.polygons, o.finds, o.candidates, filter);
    for (const std::string& e : lists.errors) std::fprintf(stderr, "%s\n", BoxText(e).c_str());

    const ql::TripPlan trip = ql::PlanTrip(lists.set.Caches(), lists.plan, o.request);
    std::fputs(ql::TripStopLines(lists.set.Caches(), trip).c_str(), stdout);
    if (!o.gpx.empty()) {
        std::vector<const ql::Candidate*> stops;
        for (const ql::TripStop& s : trip.Stops) stops.push_back(&lists.set.Caches()[s.Cache]);
        ql::WriteFileReplacing(o.gpx, ql::TourGpxText(stops, o.request.Home, o.request.Return, ql::GpxTimeNow()));
        std::fprintf(stderr, "Tour mit %zu Caches nach %s geschrieben\n", stops.size(), o.gpx.c_str());
    }
    return lists.errors.empty() ? 0 : 1;
}

// ---- trip-bench -----------------------------------------------------------------

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen;
}

struct BenchCase {
    const char* name;
    int districts;
    std::size_t perDistrict;
};

// One candidate file of `perDistrict` caches in each of the first `districts`
// districts, written by the program's own GPX export.
std::string WriteCandidates(const bench::DistrictShapes& shapes, const BenchCase& c, const std::string& folder)
{
    std::mt19937_64 rng(29);
    std::vector<ql::Candidate> caches;
    for (int d = 0; d < c.districts; ++d)
        for (std::size_t k = 0; k < c.perDistrict; ++k) {
            ql::Candidate cache;
            cache.Code = "GCT" + std::to_string(100000 + caches.size());
            cache.Name = "Tourcache " + std::to_string(caches.size());
            cache.Type = "Traditional Cache";
            cache.Difficulty = 1.5;
            cache.Terrain = 2;
            cache.Point = shapes.PointIn(d, rng);
            caches.push_back(cache);
        }
    std::vector<const ql::Candidate*> all;
    for (const ql::Candidate& cache : caches) all.push_back(&cache);
    const std::string path = folder + c.name + ".gpx";
    std::ofstream(path, std::ios::binary) << ql::CandidateGpxText(all, "");
    return path;
}

int TripBench(const std::string& polygons, int runs)
{
    ql::AppState state;
    bench::LoadPolygons(state, polygons);
    std::string polygonDir = polygons;
    if (polygonDir.back() != ql::platform::PathSeparator) polygonDir += ql::platform::PathSeparator;
    const bench::DistrictShapes shapes(polygonDir);
    bench::TempFolder temp("trip-bench");

    std::printf("load average before: %s\n", LoadAverage().c_str());
    for (const BenchCase& c : {BenchCase{"exact-10x50", 10, 50}, BenchCase{"heuristic-36x1000", 36, 1000}}) {
        const std::string file = WriteCandidates(shapes, c, temp.path());
        // Only the districts the case fills are wanted: the others hold a find
        // far from their border.
        ql::DistrictOverview finds;
        for (int d = c.districts; d < ql::DistrictCount; ++d) {
            finds.districts[static_cast<std::size_t>(d)].finds = 1;
            finds.districts[static_cast<std::size_t>(d)].bestMetres = 1e9;
        }
        ql::TripRequest request;
        request.Home = ql::TFPoint{49.98538, 8.25760};
        request.Return = true;

        double bestRank = 1e9, bestSolve = 1e9, rankCpu = 1e9, solveCpu = 1e9;
        ql::TripPlan trip;
        for (int run = 0; run < runs; ++run) {
            const double cpu0 = bench::ProcessCpuSeconds();
            bench::Stopwatch rankClock;
            ql::PlannerSession session;
            session.SetBoundaries(&state.PolyTable);
            session.SetHome(request.Home);
            session.SetFinds(finds, {});
            const ql::CandidateLoad load = session.AddFiles({file});
            if (!load.Errors.empty()) throw ql::UserError(load.Errors.front());
            bestRank = std::min(bestRank, rankClock.seconds());
            const double cpu1 = bench::ProcessCpuSeconds();
            bench::Stopwatch solveClock;
            trip = ql::PlanTrip(session.Caches(), session.Plan(), request);
            bestSolve = std::min(bestSolve, solveClock.seconds());
            rankCpu = std::min(rankCpu, cpu1 - cpu0);
            solveCpu = std::min(solveCpu, bench::ProcessCpuSeconds() - cpu1);
        }
        std::printf(
            "%-18s %2d districts x %4zu: load+rank %.4f s (cpu %.4f s), solve %.4f s (cpu %.4f s), "
            "solve/load+rank %.2fx (cpu %.2fx), %s, %zu stops, %.1f km, bound %.1f km\n",
            c.name, c.districts, c.perDistrict, bestRank, rankCpu, bestSolve, solveCpu, bestSolve / bestRank,
            solveCpu / rankCpu, trip.Optimal ? "optimal" : "best found", trip.Stops.size(), trip.LengthMetres / 1000,
            trip.BoundMetres / 1000);
    }
    std::printf("best of %d runs; load average after: %s\n", runs, LoadAverage().c_str());
    return 0;
}

}  // namespace

int TripMain(int argc, char** argv)
{
    TripOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) o.polygons = argv[++i];
        else if (arg == "--finds" && i + 1 < argc) o.finds = argv[++i];
        else if (arg == "--home" && i + 1 < argc) o.home = argv[++i];
        else if (arg == "--gpx" && i + 1 < argc) o.gpx = argv[++i];
        else if (arg == "--pin" && i + 1 < argc) o.request.Pins.push_back(argv[++i]);
        else if (arg == "--exclude" && i + 1 < argc) o.excluded.push_back(argv[++i]);
        else if (arg == "--return") o.request.Return = true;
        else if (arg == "--clear-of-border") o.request.ClearOfBorder = true;
        else if (!arg.empty() && arg[0] != '-') o.candidates.push_back(arg);
        else return TripUsage();
    }
    if (o.polygons.empty() || o.finds.empty() || o.home.empty() || o.candidates.empty()) return TripUsage();
    return Guarded([&] { return Trip(o); });
}

int TripBenchMain(int argc, char** argv)
{
    const auto usage = [] {
        std::fprintf(stderr, "usage: query-bench trip-bench --polygons DIR [--runs N]\n");
        return 2;
    };
    std::string polygons;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) polygons = argv[++i];
        else if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else return usage();
    }
    if (polygons.empty()) return usage();
    return Guarded([&] { return TripBench(polygons, runs); });
}

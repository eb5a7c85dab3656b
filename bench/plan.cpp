// query-bench plan: the planner for the missing districts as the overview
// window runs it, on the command line; and plan-speed, its benchmark beside
// the My Finds scan of the same run.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/user_error.h"
#include "commands.h"
#include "state/app_state.h"
#include "districts/district_overview.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "district_points.h"
#include "measure.h"
#include "planner/candidate_set.h"
#include "planner/gpx_export.h"
#include "planner/home_point.h"
#include "planner/plan.h"
#include "planner/planner_session.h"
#include "planner/trip_list.h"
#include "platform/platform.h"
#include "scan/placemark_folder.h"
#include "query_writer.h"
#include "setup.h"

namespace {

using bench::BoxText;
using bench::Guarded;
using bench::ScanMyFinds;

const char* CoverageText(ql::Coverage c)
{
    return c == ql::Coverage::Uncovered ? "nicht abgedeckt" : "nur nahe der Grenze abgedeckt";
}

void PrintPlan(const ql::PlannerSession& session)
{
    if (!session.HasBoundaries()) std::printf("Kreisgrenzen nicht geladen: keine Kreise zu planen\n");
    const std::vector<ql::Candidate>& caches = session.Caches();
    const ql::CandidatePlan& plan = session.Plan();
    for (int d = 0; d < ql::DistrictCount; ++d) {
        const ql::DistrictCandidates& dc = plan[static_cast<std::size_t>(d)];
        if (!dc.wanted) continue;
        std::printf("%s (%s): %zu Kandidaten\n", std::string(ql::DistrictNames[static_cast<std::size_t>(d)]).c_str(),
                    CoverageText(dc.coverage), dc.ranked.size());
        for (const ql::RankedCandidate& r : dc.ranked) {
            const ql::Candidate& c = caches[r.cache];
            std::printf("  %s\t%s\t%s\t%s/%s\t%s\t%s%s\n", c.Code.c_str(), c.Name.c_str(), c.Type.c_str(),
                        ql::RatingText(c.Difficulty).c_str(), ql::RatingText(c.Terrain).c_str(),
                        ql::MetresText(r.borderMetres).c_str(), ql::KilometresText(r.homeMetres).c_str(),
                        r.nearBorder ? "\tnahe der Grenze" : "");
        }
    }
}

struct PlanOptions {
    std::string polygons, finds, gpx, home;
    std::vector<std::string> candidates;
    std::size_t perDistrict = 1;
    double threshold = ql::DefaultBorderThreshold;
};

int PlanUsage()
{
    std::fprintf(stderr,
                 "usage: query-bench plan --polygons DIR --finds MYFINDS.gpx [--home \"N 49° 59.123 E 008° "
                 "15.456\"] [--threshold M] CANDIDATES.gpx... [--gpx OUT.gpx] [--per-district N]\n");
    return 2;
}

int Plan(const PlanOptions& o)
{
    ql::AppState state;
    bench::LoadPolygons(state, o.polygons);
    ScanMyFinds(state, o.finds);
    const ql::DistrictOverview overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);

    // The planner as the overview window drives it: boundaries, finds, threshold, home, then the lists.
    ql::PlannerSession session;
    session.SetBoundaries(&state.PolyTable);
    session.SetFinds(overview, ql::FoundCodes(state.QueryLines));
    session.SetThreshold(o.threshold);
    if (!o.home.empty()) session.SetHome(ql::ParseHomePoint(o.home));
    const ql::CandidateLoad load = session.AddFiles(o.candidates);
    for (const std::string& e : load.Errors) std::fprintf(stderr, "%s\n", BoxText(e).c_str());
    std::fprintf(stderr, "%zu Caches geladen, %zu doppelt, %zu schon gefunden; %d von %d Kreisen abgedeckt\n",
                 load.Added, load.Duplicates, load.AlreadyFound, overview.CoveredCount(), ql::DistrictCount);
    if (load.WithoutCoordinates > 0)
        std::fprintf(stderr, "%zu Wegpunkte ohne gültige Koordinaten übersprungen\n", load.WithoutCoordinates);
    PrintPlan(session);

    if (!o.gpx.empty()) {
        std::vector<const ql::Candidate*> chosen;
        for (std::size_t i : ql::BestPerDistrict(session.Plan(), o.perDistrict)) chosen.push_back(&session.Caches()[i]);
        ql::WriteFileReplacing(o.gpx, ql::CandidateGpxText(chosen, ql::GpxTimeNow()));
        std::fprintf(stderr, "%zu Caches nach %s geschrieben\n", chosen.size(), o.gpx.c_str());
    }
    return load.Errors.empty() ? 0 : 1;
}

struct SpeedOptions {
    std::string polygons, finds;
    std::size_t files = 20, caches = 1000;
    int runs = 5;
};

int SpeedUsage()
{
    std::fprintf(stderr,
                 "usage: query-bench plan-speed --polygons DIR --finds MYFINDS.gpx [--files N] [--caches N] "
                 "[--runs N]\n");
    return 2;
}

int PlanSpeed(const SpeedOptions& o)
{
    ql::AppState state;
    bench::LoadPolygons(state, o.polygons);
    std::string polygonDir = o.polygons;
    if (polygonDir.back() != ql::platform::PathSeparator) polygonDir += ql::platform::PathSeparator;

    // Candidate files in the site's layout; neighbouring files share a tenth of their caches.
    bench::TempFolder temp("plan-speed");
    const bench::DistrictShapes shapes(polygonDir);
    std::vector<std::string> files;
    std::uint64_t bytes = 0;
    for (std::size_t f = 0; f < o.files; ++f) {
        bench::CandidatePlan plan;
        plan.caches = o.caches;
        plan.seed = f + 1;
        plan.firstIndex = 2'000'000 + f * (o.caches - o.caches / 10);
        const std::string text = bench::BuildCandidateQuery(shapes, plan);
        files.push_back(temp.path() + "pq" + std::to_string(f + 1) + ".gpx");
        std::ofstream(files.back(), std::ios::binary) << text;
        bytes += text.size();
    }
    std::fprintf(stderr, "%zu candidate files of %zu caches, %.1f MiB together\n", o.files, o.caches,
                 bench::MiB(bytes));

    double bestScan = 1e9, bestOverview = 1e9, bestLoad = 1e9, bestPlace = 1e9, bestRank = 1e9, bestTotal = 1e9;
    double scanCpu = 1e9, totalCpu = 1e9;
    std::size_t loaded = 0, ranked = 0;
    for (int run = 0; run < o.runs; ++run) {
        bench::Stopwatch scanClock;
        const double scanCpu0 = bench::ProcessCpuSeconds();
        ScanMyFinds(state, o.finds);
        bestScan = std::min(bestScan, scanClock.seconds());
        scanCpu = std::min(scanCpu, bench::ProcessCpuSeconds() - scanCpu0);
        bench::Stopwatch overviewClock;
        const ql::DistrictOverview overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);
        bestOverview = std::min(bestOverview, overviewClock.seconds());

        bench::Stopwatch total;
        const double totalCpu0 = bench::ProcessCpuSeconds();
        ql::PlannerSession session;
        session.SetBoundaries(&state.PolyTable);
        session.SetFinds(overview, ql::FoundCodes(state.QueryLines));
        session.SetHome(ql::TFPoint{49.985, 8.2576});
        // Read as the window reads them (beside its thread), then added there.
        ql::CandidateSet read;
        const ql::CandidateLoad readLoad = ql::PlannerSession::ReadLists(files, session.Found(), read, nullptr);
        const double loadSeconds = total.seconds();
        // Adding places the new caches and ranks them, as the window does.
        bench::Stopwatch placeClock;
        const ql::CandidateLoad load = session.AddRead(std::move(read), readLoad);
        const double placeSeconds = placeClock.seconds();
        bench::Stopwatch rankClock;
        session.SetThreshold(ql::DefaultBorderThreshold);  // a ranking again, as a threshold change does
        const ql::CandidatePlan& plan = session.Plan();
        const double rankSeconds = rankClock.seconds();
        bestTotal = std::min(bestTotal, total.seconds());
        totalCpu = std::min(totalCpu, bench::ProcessCpuSeconds() - totalCpu0);
        bestLoad = std::min(bestLoad, loadSeconds);
        bestPlace = std::min(bestPlace, placeSeconds);
        bestRank = std::min(bestRank, rankSeconds);
        loaded = load.Added;
        ranked = 0;
        for (const ql::DistrictCandidates& dc : plan) ranked += dc.ranked.size();
        if (!load.Errors.empty()) throw ql::UserError(load.Errors.front());
    }
    std::fprintf(stderr, "best of %d runs:\n", o.runs);
    std::fprintf(stderr, "  my finds read+scan   %8.4f s  cpu %.4f s  (%zu rows)\n", bestScan, scanCpu,
                 state.Rows.size());
    std::fprintf(stderr, "  overview             %8.4f s\n", bestOverview);
    std::fprintf(stderr, "  candidates read      %8.4f s  (%zu caches kept)\n", bestLoad, loaded);
    std::fprintf(stderr, "  added+placed+ranked  %8.4f s\n", bestPlace);
    std::fprintf(stderr, "  ranked again         %8.4f s  (%zu in wanted districts)\n", bestRank, ranked);
    std::fprintf(stderr, "  load+assign+rank     %8.4f s  cpu %.4f s on two threads  (target < 0.5 s)\n", bestTotal,
                 totalCpu);
    return 0;
}

}  // namespace

int PlanMain(int argc, char** argv)
{
    PlanOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) o.polygons = argv[++i];
        else if (arg == "--finds" && i + 1 < argc) o.finds = argv[++i];
        else if (arg == "--home" && i + 1 < argc) o.home = argv[++i];
        else if (arg == "--gpx" && i + 1 < argc) o.gpx = argv[++i];
        else if (arg == "--threshold" && i + 1 < argc) o.threshold = std::strtod(argv[++i], nullptr);
        else if (arg == "--per-district" && i + 1 < argc) o.perDistrict = std::strtoull(argv[++i], nullptr, 10);
        else if (!arg.empty() && arg[0] != '-') o.candidates.push_back(arg);
        else return PlanUsage();
    }
    if (o.polygons.empty() || o.finds.empty() || o.candidates.empty() || o.perDistrict == 0 || !(o.threshold >= 0) ||
        o.threshold > ql::MaxBorderThreshold)
        return PlanUsage();
    return Guarded([&] { return Plan(o); });
}

int PlanSpeedMain(int argc, char** argv)
{
    SpeedOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) o.polygons = argv[++i];
        else if (arg == "--finds" && i + 1 < argc) o.finds = argv[++i];
        else if (arg == "--files" && i + 1 < argc) o.files = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--caches" && i + 1 < argc) o.caches = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--runs" && i + 1 < argc) o.runs = std::max(1, std::atoi(argv[++i]));
        else return SpeedUsage();
    }
    if (o.polygons.empty() || o.finds.empty() || o.files == 0 || o.caches < 10) return SpeedUsage();
    return Guarded([&] { return PlanSpeed(o); });
}

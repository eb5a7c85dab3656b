// query-bench overview --png OUT.png [--polygons DIR] [--candidates FILE...]
//                      [--threshold M] [--no-cutoff] FILE
// Scans the My Finds query as the main window does and writes the picture
// "Bild speichern..." writes for it, through the same functions: the same
// caption, map, legend, chart and source line, the candidates of the lists
// that the planner shows on the map.

#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "../commands.h"
#include "../setup.h"
#include "base/user_error.h"
#include "districts/district_overview.h"
#include "planner/candidate_set.h"
#include "planner/found_codes.h"
#include "planner/gpx_export.h"
#include "planner/plan.h"
#include "planner/planner_session.h"
#include "platform/platform.h"
#include "query/query_pipeline.h"
#include "scan/placemark_folder.h"
#include "scan/query_scan.h"
#include "state/app_state.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/OverviewPicture.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: query-bench overview --png OUT.png [--polygons DIR] [--candidates FILE...] "
                 "[--threshold M] [--no-cutoff] FILE\n");
    return 2;
}

// The polygon folder beside the program (the build's bin/), else the source tree's.
std::string DefaultPolygons(const char* argv0)
{
    const std::filesystem::path self = std::filesystem::absolute(argv0).parent_path();
    for (const std::filesystem::path& p :
         {self / ".." / "bin" / "rlp_polygons", std::filesystem::path("data/rlp_polygons")})
        if (std::filesystem::is_directory(p)) return p.string();
    return "data/rlp_polygons";
}

}  // namespace

int OverviewMain(int argc, char** argv)
{
    std::string png, polygons, file;
    std::vector<std::string> candidates;
    double threshold = ql::DefaultBorderThreshold;
    bool noCutoff = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--png" && i + 1 < argc) png = argv[++i];
        else if (arg == "--polygons" && i + 1 < argc) polygons = argv[++i];
        else if (arg == "--threshold" && i + 1 < argc) threshold = std::stod(argv[++i]);
        else if (arg == "--no-cutoff") noCutoff = true;
        else if (arg == "--candidates") {
            while (i + 1 < argc && argv[i + 1][0] != '-') candidates.push_back(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && file.empty()) file = arg;
        else return Usage();
    }
    // The last plain argument after --candidates is the query.
    if (file.empty() && candidates.size() > 0) {
        file = candidates.back();
        candidates.pop_back();
    }
    if (file.empty() || png.empty() || threshold < 0 || threshold > ql::MaxBorderThreshold) return Usage();
    if (polygons.empty()) polygons = DefaultPolygons(argv[0]);

    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    try {
        ql::AppState state;
        state.CutoffEnabled = !noCutoff;
        bench::LoadPolygons(state, polygons);
        const ql::PlacemarkFolder placemarks(ql::platform::GetTempDir());
        state.TempDir = placemarks.Path();
        state.QueryFileName = file;
        state.QueryLines = ql::OpenQuery(file);
        if (!ql::IsMyFindsQuery(state.QueryLines))
            throw ql::UserError(" Fehler !  Das ist keine MyFinds Query - Datei .");
        ql::ScanQuery(state);
        const ql::DistrictOverview overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);

        // The candidates the planner shows on the map: every ranked one of a wanted district.
        std::vector<ql::TFPoint> shown;
        if (!candidates.empty()) {
            ql::PlannerSession session;
            session.SetBoundaries(&state.PolyTable);
            session.SetThreshold(threshold);
            session.SetFinds(overview, ql::FoundCodes(state.QueryLines));
            const ql::CandidateLoad load = session.AddFiles(candidates);
            for (const std::string& e : load.Errors) std::fprintf(stderr, "%s\n", e.c_str());
            for (const ql::DistrictCandidates& dc : session.Plan())
                for (const ql::RankedCandidate& r : dc.ranked) shown.push_back(session.Caches()[r.cache].Point);
        }

        const std::size_t shownCount = shown.size();
        ql::ui::DistrictMapView map;
        map.setDistricts(state.PolyTable);
        map.setScan(&state.Rows, &overview);
        map.setThreshold(threshold);
        const QByteArray bytes =
            ql::ui::OverviewPicturePng(map, ql::ui::PictureContentOf(state, overview, threshold, std::move(shown)));
        ql::WriteFileReplacing(png, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        std::fprintf(stderr, "%s: %d von 36 Kreisen belegt, %zu Kandidaten auf der Karte, %lld Bytes\n", png.c_str(),
                     overview.CoveredCount(), shownCount, static_cast<long long>(bytes.size()));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}

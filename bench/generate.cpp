// query-bench generate: writes a generated My Finds query, as GPX or as the
// ZIP archive the service delivers.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "commands.h"
#include "district_points.h"
#include "platform/platform.h"
#include "query_writer.h"
#include "zip_writer.h"

namespace {

int Usage()
{
    std::fprintf(
        stderr,
        "usage: query-bench generate --finds N [--zip] [--seed S] [--demo] [--candidates] [--polygons DIR] OUT\n"
        "  --candidates  a pocket query of caches not yet found (N caches), for the planner\n"
        "  --demo      the shipped demo query (about 60 finds, every district covered)\n"
        "  --polygons  folder of the 36 district polygon files (default: the shipped ones)\n");
    return 2;
}

std::string DefaultPolygonDir()
{
    // The bench lands in build/bench, the shipped data in build/bin.
    return ql::platform::ExecutableDir() + "../bin/rlp_polygons/";
}

}  // namespace

int GenerateMain(int argc, char** argv)
{
    bench::QueryPlan plan;
    bool zip = false;
    bool candidates = false;
    std::string polygons = DefaultPolygonDir();
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--finds" && i + 1 < argc) plan.finds = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc) plan.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--polygons" && i + 1 < argc) polygons = argv[++i];
        else if (arg == "--zip") zip = true;
        else if (arg == "--demo") plan.demo = true;
        else if (arg == "--candidates") candidates = true;
        else if (!arg.empty() && arg[0] != '-' && out.empty()) out = arg;
        else return Usage();
    }
    if (out.empty()) return Usage();
    if (!polygons.empty() && polygons.back() != ql::platform::PathSeparator) polygons += ql::platform::PathSeparator;

    try {
        const bench::DistrictShapes shapes(polygons);
        bench::CandidatePlan candidatePlan;
        candidatePlan.caches = plan.finds;
        candidatePlan.seed = plan.seed;
        candidatePlan.firstIndex = 2'000'000 + plan.seed * plan.finds;
        const std::string text =
            candidates ? bench::BuildCandidateQuery(shapes, candidatePlan) : bench::BuildMyFindsQuery(shapes, plan);
        if (zip) {
            // A My Finds archive holds one entry named after the query's number.
            bench::WriteSingleEntryZip(out, plan.demo ? "demo-myfinds.gpx" : "13746815.gpx", text);
        } else {
            ql::platform::WriteFileAtomically(out, text);
        }
        std::fprintf(stderr, "wrote %s: %zu bytes of GPX\n", out.c_str(), text.size());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

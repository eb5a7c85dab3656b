// query-bench locate: the district index on rings of awkward shapes, as the
// shipped districts with district 0 replaced: its build time and memory, and
// the time per point of random points over the state.
//
//   shipped     the 36 shipped polygons as they are
//   circle-1m   a circle of 1,000,000 vertices (radius 0.15 degrees)
//   circle-far  the same circle with one more vertex at (1e151, 1e151)
//   star-1m     a star of 500,000 spikes from 0.05 to 3 degrees around the
//               state's middle: every spike crosses the state

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "commands.h"
#include "core/tables.h"
#include "districts/district_map.h"
#include "districts/polygon_files.h"
#include "geo/district_locator.h"
#include "measure.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

ql::TPolyArray Circle(std::size_t vertices)
{
    ql::TPolyArray ring(vertices);
    for (std::size_t k = 0; k < vertices; ++k) {
        const double angle = 2 * Pi * static_cast<double>(k) / static_cast<double>(vertices);
        ring[k] = {50.45 + 0.15 * std::sin(angle), 7.05 + 0.225 * std::cos(angle)};
    }
    return ring;
}

ql::TPolyArray Star(std::size_t vertices)
{
    ql::TPolyArray ring(vertices);
    for (std::size_t k = 0; k < vertices; ++k) {
        const double angle = 2 * Pi * static_cast<double>(k) / static_cast<double>(vertices);
        const double r = k % 2 ? 3.0 : 0.05;
        ring[k] = {49.9 + r * std::sin(angle), 7.3 + 1.5 * r * std::cos(angle)};
    }
    return ring;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: query-bench locate --polygons DIR [--points N] [shipped|circle-1m|circle-far|star-1m]...\n");
    return 2;
}

}  // namespace

int LocateMain(int argc, char** argv)
{
    std::string dir;
    long points = 200'000;
    std::vector<std::string> cases;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--polygons") == 0 && i + 1 < argc) dir = argv[++i];
        else if (std::strcmp(argv[i], "--points") == 0 && i + 1 < argc) points = std::atol(argv[++i]);
        else if (argv[i][0] != '-') cases.emplace_back(argv[i]);
        else return Usage();
    }
    if (dir.empty() || points <= 0) return Usage();
    if (cases.empty()) cases = {"shipped", "circle-1m", "circle-far", "star-1m"};
    if (dir.back() != '/' && dir.back() != '\\') dir += '/';
    try {
        ql::PolygonTable shipped;
        for (int i = 0; i < ql::DistrictCount; ++i)
            shipped[static_cast<std::size_t>(i)] = ql::LoadPolygonFile(ql::PolygonFilePath(dir, i));

        std::printf("%-11s %9s %10s %10s %10s %12s\n", "case", "vertices", "build s", "build MiB", "us/point",
                    "inside");
        for (const std::string& kind : cases) {
            ql::PolygonTable table = shipped;
            if (kind == "circle-1m") table[0] = Circle(1'000'000);
            else if (kind == "circle-far") {
                table[0] = Circle(1'000'000);
                table[0].insert(table[0].begin() + 250'000, ql::TFPoint{1e151, 1e151});
            } else if (kind == "star-1m") table[0] = Star(1'000'000);
            else if (kind != "shipped") return Usage();

            bench::ResetPeakResident();
            const std::uint64_t before = bench::ResidentBytes();
            const bench::Stopwatch build;
            ql::DistrictLocator locator;
            locator.Build(table);
            const double buildSeconds = build.seconds();
            const std::uint64_t peak = bench::PeakResidentBytes();

            std::mt19937_64 random(20110524);
            std::uniform_real_distribution<double> lat(48.9, 50.95), lon(6.1, 8.5);
            std::vector<ql::TFPoint> sample(static_cast<std::size_t>(points));
            for (ql::TFPoint& p : sample) p = {lat(random), lon(random)};
            long inside = 0;
            const bench::Stopwatch find;
            for (const ql::TFPoint& p : sample) inside += locator.Find(p).has_value() ? 1 : 0;
            const double perPoint = find.seconds() / static_cast<double>(points) * 1e6;

            std::size_t vertices = 0;
            for (const ql::TPolyArray& poly : table) vertices += poly.size();
            std::printf("%-11s %9zu %10.3f %10.1f %10.3f %12ld\n", kind.c_str(), vertices, buildSeconds,
                        bench::MiB(peak > before ? peak - before : 0), perPoint, inside);
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

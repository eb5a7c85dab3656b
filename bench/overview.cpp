#include "overview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "measure.h"

namespace bench {

ql::DistrictOverview MeasureOverview(const ql::AppState& state, double scanSeconds, double scanCpu)
{
    ql::DistrictOverview overview;
    double best = -1, bestCpu = -1;
    for (int round = 0; round < 4; ++round) {
        Stopwatch clock;
        const double cpuStart = ProcessCpuSeconds();
        overview = ql::BuildDistrictOverview(state.PolyTable, state.Rows);
        const double seconds = clock.seconds(), cpu = ProcessCpuSeconds() - cpuStart;
        if (round == 0) {
            // The first one builds the border indexes it meets.
            std::size_t indexBytes = 0;
            for (int d = 0; d < ql::DistrictCount; ++d) indexBytes += state.PolyTable.Border(d).MemoryBytes();
            std::fprintf(stderr,
                         "overview first %9.4f s  cpu %7.4f s  (border indexes built: %.1f MiB)  peak %.1f MiB\n",
                         seconds, cpu, MiB(indexBytes), MiB(PeakResidentBytes()));
            continue;
        }
        best = best < 0 ? seconds : std::min(best, seconds);
        bestCpu = bestCpu < 0 ? cpu : std::min(bestCpu, cpu);
    }
    std::size_t measured = 0;
    for (const ql::FindPlace& place : overview.finds) measured += std::isfinite(place.borderMetres) ? 1 : 0;
    std::fprintf(stderr,
                 "border distances %9.4f s  cpu %7.4f s  rows %7zu  measured %7zu  (best of 3)\n"
                 "border distances / scan: wall %.1f%% of %.4f s, cpu %.1f%% of %.4f s (target <= 10%%)\n",
                 best, bestCpu, overview.finds.size(), measured, scanSeconds > 0 ? 100.0 * best / scanSeconds : 0.0,
                 scanSeconds, scanCpu > 0 ? 100.0 * bestCpu / scanCpu : 0.0, scanCpu);
    return overview;
}

std::string BorderColumn(const ql::DistrictOverview& overview, std::size_t row)
{
    if (row >= overview.finds.size() || !std::isfinite(overview.finds[row].borderMetres)) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", overview.finds[row].borderMetres);
    return text;
}

}  // namespace bench

#include "planner/trip_list.h"

#include <cmath>
#include <cstdio>

#include "core/tables.h"

namespace ql {

std::string KilometresText(double metres)
{
    if (!std::isfinite(metres)) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f km", metres / 1000.0);
    return buf;
}

std::string MetresText(double metres)
{
    if (!std::isfinite(metres)) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f m", metres);
    return buf;
}

std::string TripListText(const std::vector<Candidate>& caches, const CandidatePlan& plan)
{
    std::string out;
    for (int d = 0; d < DistrictCount; ++d) {
        const DistrictCandidates& dc = plan[static_cast<std::size_t>(d)];
        if (!dc.wanted) continue;
        out += DistrictNames[static_cast<std::size_t>(d)];
        out += ": ";
        const std::vector<RankedCandidate> best = BestOf(dc, 1);
        if (best.empty()) {
            out += "kein Kandidat\n";
            continue;
        }
        const RankedCandidate& r = best.front();
        const Candidate& c = caches[r.cache];
        out += c.Code + " " + c.Name + " (" + (c.Type.empty() ? std::string("?") : c.Type) + ", D" +
               RatingText(c.Difficulty) + "/T" + RatingText(c.Terrain) + ")";
        if (std::isfinite(r.homeMetres)) out += ", " + KilometresText(r.homeMetres);
        out += ", " + MetresText(r.borderMetres) + " zur Grenze";
        if (r.nearBorder) out += " (nahe der Grenze)";
        out += "\n";
    }
    return out;
}

}  // namespace ql

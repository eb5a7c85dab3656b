#include "planner/trip_plan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/user_error.h"
#include "core/tables.h"
#include "planner/home_point.h"
#include "planner/trip_list.h"
#include "planner/trip_solver.h"

namespace ql {

namespace {

std::string DistrictName(int district)
{
    return std::string(DistrictNames[static_cast<std::size_t>(district)]);
}

std::string WholeMetres(double metres)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", metres);
    return buf;
}

// Per district, the cache pinned there, if any.
std::array<std::optional<std::size_t>, DistrictCount> PinsByDistrict(const std::vector<Candidate>& caches,
                                                                     const CandidatePlan& plan,
                                                                     const std::vector<std::string>& pins)
{
    std::array<std::optional<std::size_t>, DistrictCount> pinned;
    for (const std::string& code : pins) {
        std::optional<int> where;
        std::size_t cache = 0;
        for (int d = 0; d < DistrictCount && !where; ++d) {
            const DistrictCandidates& dc = plan[static_cast<std::size_t>(d)];
            if (!dc.wanted) continue;
            for (const RankedCandidate& r : dc.ranked)
                if (caches[r.cache].Code == code) {
                    where = d;
                    cache = r.cache;
                    break;
                }
        }
        if (!where) throw UserError("Der festgelegte Cache " + code + " ist kein Kandidat eines fehlenden Kreises.");
        std::optional<std::size_t>& slot = pinned[static_cast<std::size_t>(*where)];
        if (slot && *slot != cache)
            throw UserError("Für den Kreis " + DistrictName(*where) +
                            " sind zwei Caches festgelegt: " + caches[*slot].Code + " und " + code + ".");
        slot = cache;
    }
    return pinned;
}

}  // namespace

TripPlan PlanTrip(const std::vector<Candidate>& caches, const CandidatePlan& plan, const TripRequest& request,
                  const CancelToken* cancel)
{
    const auto pinned = PinsByDistrict(caches, plan, request.Pins);
    TripPlan trip;
    TripGroups groups;
    groups.Start = request.Home;
    groups.Return = request.Return;
    std::vector<int> groupDistrict;
    std::vector<std::vector<std::size_t>> groupCaches;
    for (int d = 0; d < DistrictCount; ++d) {
        const DistrictCandidates& dc = plan[static_cast<std::size_t>(d)];
        if (!dc.wanted) continue;
        if (std::find(request.Excluded.begin(), request.Excluded.end(), d) != request.Excluded.end()) {
            trip.Excluded.push_back(d);
            continue;
        }
        std::vector<std::size_t> members;
        if (const auto& pin = pinned[static_cast<std::size_t>(d)]) {
            members.push_back(*pin);
        } else {
            for (const RankedCandidate& r : dc.ranked)
                if (!(request.ClearOfBorder && r.nearBorder)) members.push_back(r.cache);
        }
        if (members.empty()) {
            trip.WithoutCandidate.push_back(d);
            continue;
        }
        std::vector<TFPoint> points;
        for (std::size_t i : members) points.push_back(caches[i].Point);
        groups.Groups.push_back(std::move(points));
        groupDistrict.push_back(d);
        groupCaches.push_back(std::move(members));
    }

    const TripTour tour = SolveTrip(groups, cancel);
    TFPoint at = request.Home;
    double total = 0.0;
    for (std::size_t g : tour.Order) {
        TripStop stop;
        stop.District = groupDistrict[g];
        stop.Cache = groupCaches[g][tour.Chosen[g]];
        stop.Pinned = pinned[static_cast<std::size_t>(stop.District)].has_value();
        stop.LegMetres = GreatCircleMetres(at, caches[stop.Cache].Point);
        total += stop.LegMetres;
        stop.TotalMetres = total;
        at = caches[stop.Cache].Point;
        trip.Stops.push_back(stop);
    }
    if (request.Return && !trip.Stops.empty()) trip.ReturnMetres = GreatCircleMetres(at, request.Home);
    trip.LengthMetres = total + trip.ReturnMetres;
    trip.Optimal = tour.Optimal;
    trip.BoundMetres = tour.Optimal ? trip.LengthMetres : std::min(tour.BoundMetres, trip.LengthMetres);
    return trip;
}

std::string TripTotalLine(const TripPlan& trip)
{
    std::string line = "total: " + WholeMetres(trip.LengthMetres) + " m (";
    line += trip.Optimal ? "optimal" : "best found, bound " + WholeMetres(trip.BoundMetres) + " m";
    return line + ")";
}

std::string TripStopLines(const std::vector<Candidate>& caches, const TripPlan& trip)
{
    std::string out;
    for (std::size_t i = 0; i < trip.Stops.size(); ++i) {
        const TripStop& s = trip.Stops[i];
        out += std::to_string(i + 1) + "\t" + DistrictName(s.District) + "\t" + caches[s.Cache].Code + "\t" +
               WholeMetres(s.LegMetres) + "\t" + WholeMetres(s.TotalMetres) + "\n";
    }
    if (trip.ReturnMetres > 0.0)
        out += "home\t\t\t" + WholeMetres(trip.ReturnMetres) + "\t" + WholeMetres(trip.LengthMetres) + "\n";
    for (int d : trip.WithoutCandidate) out += "no candidate: " + DistrictName(d) + "\n";
    for (int d : trip.Excluded) out += "excluded: " + DistrictName(d) + "\n";
    return out + TripTotalLine(trip) + "\n";
}

std::string TourTotalText(const TripPlan& trip)
{
    std::string text = "Gesamt: " + KilometresText(trip.LengthMetres);
    if (trip.Optimal) return text + " (kürzeste Tour)";
    return text + " (beste gefundene Tour, keine kürzer als " + KilometresText(trip.BoundMetres) + ")";
}

std::string TourListText(const std::vector<Candidate>& caches, const TripPlan& trip)
{
    std::string out;
    for (std::size_t i = 0; i < trip.Stops.size(); ++i) {
        const TripStop& s = trip.Stops[i];
        const Candidate& c = caches[s.Cache];
        out += std::to_string(i + 1) + ". " + DistrictName(s.District) + ": " + c.Code + " " + c.Name + " (" +
               (c.Type.empty() ? std::string("?") : c.Type) + ", D" + RatingText(c.Difficulty) + "/T" +
               RatingText(c.Terrain) + "), " + KilometresText(s.LegMetres) + ", gesamt " +
               KilometresText(s.TotalMetres) + "\n";
    }
    if (trip.ReturnMetres > 0.0)
        out += "Zurück nach Hause: " + KilometresText(trip.ReturnMetres) + ", gesamt " +
               KilometresText(trip.LengthMetres) + "\n";
    for (int d : trip.WithoutCandidate) out += DistrictName(d) + ": kein Kandidat, nicht in der Tour\n";
    for (int d : trip.Excluded) out += DistrictName(d) + ": ausgelassen\n";
    return out + TourTotalText(trip) + "\n";
}

}  // namespace ql

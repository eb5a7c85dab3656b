#pragma once
// "Tour planen": the shortest trip from home through one cache in each
// district still wanted, the candidates taken as the planner ranked them
// (its filter applied), with the caches the player pinned and without the
// districts left out.

#include <cstddef>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "geo/point.h"
#include "planner/candidate.h"
#include "planner/plan.h"

namespace ql {

struct TripRequest {
    TFPoint Home;
    bool Return = false;  // back home at the end
    bool ClearOfBorder = false;  // leave out the candidates near the border
    std::vector<std::string> Pins;  // GC codes: the district's cache must be this one
    std::vector<int> Excluded;  // districts not to visit
};

struct TripStop {
    int District = -1;
    std::size_t Cache = 0;  // index into the candidates
    bool Pinned = false;
    double LegMetres = 0.0;  // from the stop before (or home)
    double TotalMetres = 0.0;  // from home to here
};

struct TripPlan {
    std::vector<TripStop> Stops;
    double ReturnMetres = 0.0;  // the way home from the last stop; 0 when the trip ends there
    double LengthMetres = 0.0;  // the whole trip, with the way home
    double BoundMetres = 0.0;  // no trip is shorter
    bool Optimal = false;
    // Wanted districts the trip leaves out, in district order.
    std::vector<int> WithoutCandidate;  // no candidate left after the filter
    std::vector<int> Excluded;  // left out by the player
};

// Throws UserError "Der festgelegte Cache %s ist kein Kandidat eines fehlenden
// Kreises." for a pin no wanted district holds, and "Für den Kreis %s sind zwei
// Caches festgelegt: %s und %s." for two pins in one district. Cancelled when
// the token asks.
TripPlan PlanTrip(const std::vector<Candidate>& caches, const CandidatePlan& plan, const TripRequest& request,
                  const CancelToken* cancel = nullptr);

// "total: 123456 m (optimal)" or "total: 123456 m (best found, bound 100000 m)".
std::string TripTotalLine(const TripPlan& trip);

// One line per stop: "1\tKusel\tGC1ABCD\t12345\t12345" (order, district,
// code, leg and cumulative metres), then "home" with the way back when the
// trip returns, each district left out, and the total line.
std::string TripStopLines(const std::vector<Candidate>& caches, const TripPlan& trip);

// "Als Liste kopieren": the stops in German, one per line,
// "1. Kusel: GC1ABCD Burgblick (Traditional Cache, D1.5/T2), 12.3 km, gesamt 12.3 km",
// then the way home, the districts left out and the total.
std::string TourListText(const std::vector<Candidate>& caches, const TripPlan& trip);

// "Gesamt: 123.4 km (kürzeste Tour)" or "Gesamt: 123.4 km (beste gefundene Tour,
// keine kürzer als 100.0 km)".
std::string TourTotalText(const TripPlan& trip);

}  // namespace ql

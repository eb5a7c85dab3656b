#pragma once
// The shortest trip from a start point through exactly one point of each
// group (a district's candidates), in any order, ending anywhere or back at
// the start: the travelling salesman problem with groups. Distances are
// straight lines on the globe (great circles).
//
// Small cases are solved exactly, by dynamic programming over the set of
// groups visited and the point last reached; larger ones by a heuristic
// (nearest-group tours from several starts, then 2-opt on the order, moving
// a group elsewhere and choosing each group's point anew, until nothing
// improves), which states a lower bound beside its length.

#include <cstddef>
#include <vector>

#include "base/cancel.h"
#include "geo/point.h"

namespace ql {

// The exact solver keeps one state per set of groups and point: it takes at
// most 16 groups and 500 points, and at most 2^groups x points = 512,000
// states (10 groups of 50, 12 groups of 10, ...).
inline constexpr std::size_t MaxExactTripGroups = 16;
inline constexpr std::size_t MaxExactTripPoints = 500;
inline constexpr std::size_t MaxExactTripStates = 1024 * 500;

struct TripGroups {
    TFPoint Start;
    bool Return = false;  // the trip ends at the start point
    std::vector<std::vector<TFPoint>> Groups;  // none of them empty
};

struct TripTour {
    std::vector<std::size_t> Order;  // group indexes in visiting order
    std::vector<std::size_t> Chosen;  // per group (by group index), the point taken
    double LengthMetres = 0.0;  // with the way back when the trip returns
    // No trip through the groups is shorter than this; equal to the length
    // when the tour is optimal.
    double BoundMetres = 0.0;
    bool Optimal = false;
};

// The length of a tour: start, the chosen points in order, and back when the
// trip returns.
double TripLength(const TripGroups& groups, const std::vector<std::size_t>& order,
                  const std::vector<std::size_t>& chosen);

// Whether the exact solver takes the case.
bool ExactTripFits(const TripGroups& groups);

// Exact; throws std::invalid_argument where ExactTripFits is false.
TripTour SolveTripExact(const TripGroups& groups, const CancelToken* cancel = nullptr);

// The heuristic, for any size. Its bound is the larger of: the farthest
// group's nearest point from the start (there and back when the trip
// returns), and, where there are at most HeuristicBoundPoints points, the sum
// over groups of the shortest leg that can enter each (from the start or a
// point of another group), plus the shortest way back.
inline constexpr std::size_t HeuristicBoundPoints = 4000;
TripTour SolveTripHeuristic(const TripGroups& groups, const CancelToken* cancel = nullptr);

// Exact where the case is small enough, else the heuristic.
TripTour SolveTrip(const TripGroups& groups, const CancelToken* cancel = nullptr);

}  // namespace ql

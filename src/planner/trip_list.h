#pragma once
// "Als Liste kopieren": one line per wanted district with its best
// candidate, for planning a trip.

#include <string>
#include <vector>

#include "planner/candidate.h"
#include "planner/plan.h"

namespace ql {

// "Kusel: GC1ABCD Burgblick (Traditional Cache, D1.5/T2), 12.3 km, 850 m zur Grenze"
// in district order; "Kusel: kein Kandidat" where none is left after the
// filter. Lines end with a line feed.
std::string TripListText(const std::vector<Candidate>& caches, const CandidatePlan& plan);

// "12.3 km" from metres; "-" for none.
std::string KilometresText(double metres);

// "850 m" from metres, whole metres; "-" for none.
std::string MetresText(double metres);

}  // namespace ql

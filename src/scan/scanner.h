#pragma once
// The My Finds waypoint scanner: turns the query's lines into the scan results.

#include <cstddef>

namespace ql {

struct AppState;

// A query of at least this many lines is read in two halves side by side;
// the results are those of one walk.
inline constexpr std::size_t LinesReadInTwoHalves = 50'000;

// Empties the results of the previous scan, then walks state.QueryLines and
// fills Rows, DistrictTally, NotInPolygonCount, NIPList, PlacemarkFiles and
// the placemark files. Returns the number of rows. A read past the last line
// throws; what was made before stays.
int ScanWaypoints(AppState& state);

}  // namespace ql

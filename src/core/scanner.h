#pragma once
// The My Finds waypoint scanner: turns the query's lines into the scan results.

namespace ql {

struct AppState;

// Empties the results of the previous scan, then walks state.QueryLines and
// fills Rows, DistrictTally, NotInPolygonCount, NIPList, PlacemarkFiles and
// the placemark files. Returns the number of rows. A read past the last line
// throws; what was made before stays.
int ScanWaypoints(AppState& state);

}  // namespace ql

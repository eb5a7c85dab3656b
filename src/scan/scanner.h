#pragma once
// The My Finds waypoint scanner: turns the query's lines into the scan results.

#include <cstddef>

namespace ql {

struct AppState;
class CancelToken;
class DistrictMap;
class QueryText;

// What a scan reads besides the state it fills, and how it may be stopped.
struct ScanSource {
    const QueryText& Lines;
    const DistrictMap& Districts;
    // Looked at every few thousand lines; a stop throws Cancelled.
    const CancelToken* Cancel = nullptr;
    // The placemark files are not written: their texts go to PlacemarkTexts,
    // beside PlacemarkFiles, for a writer that makes them after the list shows.
    // The previous scan's files are then left where they are.
    bool FilesLater = false;
    // The boundaries are loaded (BoundariesLoaded of the state they come
    // from). Without them, or with no polygon in Districts, a find in no
    // district is not known to lie outside: no record, no file.
    bool Bounded = true;
};

// A query of at least this many lines is read by two threads at once; the
// results are those of one walk.
inline constexpr std::size_t LinesReadByTwoThreads = 50'000;

// Empties the results of the previous scan, then walks state.QueryLines and
// fills Rows, DistrictTally, NotInPolygonCount, NIPList, PlacemarkFiles and
// the placemark files. Returns the number of rows. A read past the last line
// throws; what was made before stays.
int ScanWaypoints(AppState& state);
// The same over the given lines and districts, into `state`'s results.
int ScanWaypoints(AppState& state, const ScanSource& source);

}  // namespace ql

#pragma once
// The scan of a loaded query, with the message for a file cut short.

#include <string>

#include "scan/scanner.h"

namespace ql {

struct AppState;

// A scan of the loaded query: its rows, and for a file cut short the message
// the user reads.
struct QueryScan {
    int Rows = 0;
    std::string Incomplete;  // empty for a complete file
    std::string Notice;  // what the user is told once: the placemark files were capped
};

// Scans the loaded query (see ScanWaypoints). A file that ends before its
// closing line keeps the rows read up to the cut and says it is incomplete;
// the scan's read past the last line gives way to that message, any other
// error of the scan is thrown as it is. A complete file's
// errors are thrown as they are; no lines at all (nothing loaded) are no cut.
// A mapped file cut short meanwhile throws "Die Datei "%s" wurde beim Lesen
// verändert." whatever else the scan found.
QueryScan ScanQuery(AppState& state);
// The same over the given lines and districts, into `results` (whose
// QueryFileName names the file): the scan as the window runs it beside
// itself, with FilesLater, so that a stop or a failure leaves the shown
// results alone.
QueryScan ScanQuery(AppState& results, const ScanSource& source);

}  // namespace ql

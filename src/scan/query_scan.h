#pragma once
// The scan of a loaded query, with the message for a file cut short.

#include <string>

namespace ql {

struct AppState;

// A scan of the loaded query: its rows, and for a file cut short the message
// the user reads.
struct QueryScan {
    int Rows = 0;
    std::string Incomplete;  // empty for a complete file
};

// Scans the loaded query (see ScanWaypoints). A file that ends before its
// closing line keeps the rows read up to the cut and says it is incomplete;
// an error of the scan at the cut gives way to that message. A complete file's
// errors are thrown as they are; no lines at all (nothing loaded) are no cut.
QueryScan ScanQuery(AppState& state);

}  // namespace ql

#include "scan/query_scan.h"

#include "base/user_error.h"
#include "query/query_pipeline.h"
#include "scan/scanner.h"
#include "state/app_state.h"

namespace ql {

namespace {
QueryScan ScanLoadedQuery(AppState& state)
{
    QueryScan scan;
    // Nothing loaded yet is no file cut short.
    if (state.QueryLines.Empty() || EndsWithClosingLine(state.QueryLines)) {
        scan.Rows = ScanWaypoints(state);
        return scan;
    }
    try {
        ScanWaypoints(state);
    } catch (const UserError&) {
        // The cut is the cause: the file ended inside a waypoint.
    }
    scan.Rows = static_cast<int>(state.Rows.size());
    scan.Incomplete = IncompleteQueryText(state.QueryFileName, state.Rows.size());
    return scan;
}
}  // namespace

QueryScan ScanQuery(AppState& state)
{
    // A mapped file cut short while it was read leaves zeros in the text:
    // whatever the scan made of them, the message says what happened.
    try {
        QueryScan scan = ScanLoadedQuery(state);
        state.QueryLines.ThrowIfFileChanged();
        return scan;
    } catch (const UserError&) {
        state.QueryLines.ThrowIfFileChanged();
        throw;
    }
}

}  // namespace ql

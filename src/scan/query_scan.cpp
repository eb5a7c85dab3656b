#include "scan/query_scan.h"

#include "base/user_error.h"
#include "query/query_pipeline.h"
#include "query/query_text.h"
#include "reports/nip_page.h"
#include "scan/scanner.h"
#include "state/app_state.h"

namespace ql {

namespace {
// The cap on placemark files is told the first time a scan reaches it.
void NoticeCap(AppState& state, QueryScan& scan)
{
    if (!state.PlacemarkFilesCapped || state.PlacemarkCapTold) return;
    state.PlacemarkCapTold = true;
    scan.Notice = PlacemarkCapText();
}

QueryScan ScanLoadedQuery(AppState& state, const ScanSource& source)
{
    QueryScan scan;
    // Nothing loaded yet is no file cut short.
    if (source.Lines.Empty() || EndsWithClosingLine(source.Lines)) {
        scan.Rows = ScanWaypoints(state, source);
        NoticeCap(state, scan);
        return scan;
    }
    try {
        ScanWaypoints(state, source);
    } catch (const IndexError& e) {
        // Only a read past the last line is the cut (the file ended inside a
        // waypoint); any other error, a bad coordinate or a full disk, is
        // reported as itself.
        if (e.Index() < static_cast<long long>(source.Lines.Size())) throw;
    }
    scan.Rows = static_cast<int>(state.Rows.size());
    scan.Incomplete = IncompleteQueryText(state.QueryFileName, state.Rows.size());
    NoticeCap(state, scan);
    return scan;
}
}  // namespace

QueryScan ScanQuery(AppState& state)
{
    return ScanQuery(state, ScanSource{state.QueryLines, state.PolyTable, nullptr, false, BoundariesLoaded(state)});
}

QueryScan ScanQuery(AppState& results, const ScanSource& source)
{
    // A mapped file cut short while it was read leaves zeros in the text:
    // whatever the scan made of them, the message says what happened.
    try {
        QueryScan scan = ScanLoadedQuery(results, source);
        source.Lines.ThrowIfFileChanged();
        return scan;
    } catch (const UserError&) {
        source.Lines.ThrowIfFileChanged();
        throw;
    }
}

}  // namespace ql

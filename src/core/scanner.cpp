// PLACEHOLDER: replaced by the real scanner.
#include "core/scanner.h"
#include "core/app_state.h"
#include "geo/placemark.h"
namespace ql {
int ScanWaypoints(AppState& state)
{
    state.Rows.clear();
    state.DistrictTally.fill(0);
    state.NotInPolygonCount = 0;
    state.NIPList.clear();
    RemovePlacemarkFiles(state);
    return 0;
}
}  // namespace ql

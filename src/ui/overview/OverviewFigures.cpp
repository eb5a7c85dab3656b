#include "ui/overview/OverviewFigures.h"

#include "query/query_pipeline.h"
#include "query/query_text.h"
#include "state/app_state.h"

namespace ql::ui {

namespace {
constexpr std::size_t FindsTakingLong = 4096;
constexpr std::size_t LinesPerFind = 50;
}  // namespace

OverviewScan CopyScan(const AppState& state)
{
    OverviewScan scan;
    scan.queryLoaded = !state.QueryLines.Empty();
    scan.districts = state.PolyTable;
    scan.cutOffTally = state.CutOffTally;
    scan.cutoffEnabled = state.CutoffEnabled;
    scan.boundariesLoaded = BoundariesLoaded(state);
    scan.polygonLoadFailure = state.PolygonLoadFailure;
    return scan;
}

bool FiguresTakeLong(const AppState& state)
{
    return state.Rows.size() + state.QueryLines.Size() / LinesPerFind >= FindsTakingLong;
}

OverviewFigures MakeFigures(OverviewScan& scan, const AppState& state, const CancelToken* stop)
{
    OverviewFigures figures;
    if (!scan.queryLoaded) return figures;
    scan.rows = std::make_shared<const std::vector<CacheRow>>(state.Rows);
    scan.queryDate = IsMyFindsQuery(state.QueryLines).value_or(std::string());
    figures.overview = BuildDistrictOverview(scan.districts, *scan.rows, stop);
    ThrowIfCancelled(stop);
    figures.timeline = CoverageTimeline(*scan.rows);
    figures.found = FoundCodes(state.QueryLines, stop);
    return figures;
}

}  // namespace ql::ui

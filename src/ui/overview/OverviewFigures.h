#pragma once
// The figures the district overview shows of one scan, and the copy of the
// state they are made from. The window shows the rows of the copy with the
// figures made of them, never the state's rows with figures of another scan;
// a scan that replaces the state's rows later changes nothing it shows.

#include <memory>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "core/records.h"
#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "planner/found_codes.h"
#include "planner/progress.h"

namespace ql {
struct AppState;
}  // namespace ql

namespace ql::ui {

// What the overview reads of one scan.
struct OverviewScan {
    std::shared_ptr<const std::vector<CacheRow>> rows = std::make_shared<const std::vector<CacheRow>>();  // never null
    DistrictMap districts;  // shares the border indexes built so far
    DistrictTallyArray cutOffTally{};
    bool queryLoaded = false;
    bool cutoffEnabled = true;
    bool boundariesLoaded = false;
    std::string polygonLoadFailure;  // empty once boundaries are loaded
    std::string queryDate;  // empty without a My Finds query
};

struct OverviewFigures {
    DistrictOverview overview;
    std::vector<ProgressStep> timeline;
    CodeSet found;  // every cache of the query, for the planner
};

// On the window's thread: all but the rows and the query date.
OverviewScan CopyScan(const AppState& state);

// Figures of a scan this small take a few milliseconds: the window makes them
// at once, larger ones beside it. The work grows with the rows and with the
// query's lines (the found codes), about 50 lines a find.
bool FiguresTakeLong(const AppState& state);

// Copies the state's rows and query date into `scan` and makes their figures,
// the found codes read from the query's lines. The state's rows and lines
// must not change meanwhile (only a step of the main window replaces them).
// A set `stop` ends the work with Cancelled.
OverviewFigures MakeFigures(OverviewScan& scan, const AppState& state, const CancelToken* stop);

}  // namespace ql::ui

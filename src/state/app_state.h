#pragma once
// The process-wide state: one plain struct owned by main(), so every test can
// make its own.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "districts/district_map.h"
#include "query/query_text.h"
#include "core/records.h"

namespace ql {

// The most placemark files one scan writes. Real My Finds queries stay far
// below it: only finds in Rheinland-Pfalz become rows, so a find lies outside
// every district only by a hair at the state's border (the demo query has 4
// of 57, a generated query of 100,000 finds 998). The finds beyond it are
// listed on the page without a placemark link.
inline constexpr std::size_t MaxPlacemarkFiles = 10'000;

struct AppState {
    // Folders end with the platform's separator.
    std::string ProgramDir;  // what ships with the program: polygons, help, style sheet, history, demo
    std::string TempDir;
    // Where the page of finds outside every district is written, with the
    // style sheet copied beside it, when the program's folder is not its own
    // to write in (an installation under /usr); empty: the program's folder.
    std::string PageDir;
    // Makes TempDir anew when something removed it while the program runs (a
    // cleaner of the temporary folder) and returns the folder to use; every
    // scan calls it before it writes placemark files. Empty: TempDir stays.
    std::function<std::string()> RestoreTempDir;
    std::string PolygonDir;
    std::string QueryFileName;

    QueryText QueryLines;

    bool PolygonsPending = true;
    // Why the district boundaries are not loaded, after a failed load; empty
    // once a load has succeeded (and before the first).
    std::string PolygonLoadFailure;
    bool CutoffEnabled = true;
    bool GsakPolygonsFound = false;

    // Processor architecture of the native system information (9 = x64), read at start-up.
    std::uint16_t NativeArchitecture = 0;

    // District polygons, with the index that answers for them.
    DistrictMap PolyTable;

    // Results of the last scan; each scan replaces them whole.
    std::vector<CacheRow> Rows;
    DistrictTallyArray DistrictTally{};
    // Finds per district that the cut-off date left out (the box on); they make no rows.
    DistrictTallyArray CutOffTally{};
    int NotInPolygonCount = 0;
    std::vector<TNIPDatum> NIPList;
    std::vector<std::string> PlacemarkFiles;  // file names in TempDir, pairs with NIPList up to the cap
    // The bytes of each file PlacemarkFiles names, for a scan that left the
    // files to be written beside the window; empty for one that wrote them.
    std::vector<std::string> PlacemarkTexts;
    bool PlacemarkFilesCapped = false;  // the last scan had more finds outside than files may be made
    bool PlacemarkCapTold = false;  // the user has been told of the cap
};

// What a find in no district reads in place of "NOT IN POLYGON!" while the
// boundaries are not loaded.
constexpr std::string_view NoBoundariesText = "Kreisgrenzen nicht geladen";

// The district boundaries are loaded: a load has succeeded and left
// polygons. Before the first load and after a failed one (whose districts
// read before the failure stay) no find can be said to lie outside every
// district.
inline bool BoundariesLoaded(const AppState& state)
{
    if (!state.PolygonLoadFailure.empty()) return false;
    for (const TPolyArray& polygon : state.PolyTable)
        if (!polygon.empty()) return true;
    return false;
}

}  // namespace ql

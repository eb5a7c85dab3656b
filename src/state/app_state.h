#pragma once
// The process-wide state: one plain struct owned by main(), so every test can
// make its own.

#include <cstdint>
#include <string>
#include <vector>

#include "districts/district_map.h"
#include "query/query_text.h"
#include "core/records.h"

namespace ql {

struct AppState {
    // Folders end with the platform's separator.
    std::string ProgramDir;
    std::string TempDir;
    std::string PolygonDir;
    std::string QueryFileName;

    QueryText QueryLines;

    bool PolygonsPending = true;
    bool CutoffEnabled = true;
    bool GsakPolygonsFound = false;

    // Processor architecture of the native system information (9 = x64), read at start-up.
    std::uint16_t NativeArchitecture = 0;

    // District polygons, with the index that answers for them.
    DistrictMap PolyTable;

    // Results of the last scan; each scan replaces them whole.
    std::vector<CacheRow> Rows;
    DistrictTallyArray DistrictTally{};
    int NotInPolygonCount = 0;
    std::vector<TNIPDatum> NIPList;
    std::vector<std::string> PlacemarkFiles;  // file names in TempDir, pairs with NIPList
};

}  // namespace ql

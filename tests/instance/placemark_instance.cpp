// One instance of the program's scan for the test of two instances at once:
// its placemark folder made as the program makes it (in TMPDIR), the query
// scanned twice, the files checked after the other instance has scanned and
// after it has ended. Steps are handed over through marker files.
//
//   placemark-instance QUERY MARKERS ME OTHER [--leave-first]
// Exit 0 when every file of this instance was there each time it looked.
//
//   placemark-instance --hold MARKERS
// Makes its placemark folder, writes its path into MARKERS/held and keeps the
// folder (and its lock) until MARKERS/release appears.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "base/user_error.h"
#include "state/app_state.h"
#include "scan/placemark.h"
#include "scan/placemark_folder.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

void Mark(const fs::path& markers, const std::string& name)
{
    ql::platform::WriteWholeFile((markers / name).string(), "x");
}

// Waits for the other instance's marker; false after five minutes without it.
bool AwaitMark(const fs::path& markers, const std::string& name)
{
    for (int i = 0; i < 30000; ++i) {
        if (fs::exists(markers / name)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::fprintf(stderr, "no %s\n", name.c_str());
    return false;
}

bool AllFilesThere(const ql::AppState& state, const char* when)
{
    if (state.PlacemarkFiles.empty()) return false;
    for (const std::string& name : state.PlacemarkFiles) {
        std::error_code ec;
        if (fs::file_size(state.TempDir + name, ec) == 0 || ec) {
            std::fprintf(stderr, "%s missing %s\n", when, (state.TempDir + name).c_str());
            return false;
        }
    }
    return true;
}

// An instance that only holds its folder while another looks at it.
int Hold(const fs::path& markers)
{
    try {
        const ql::PlacemarkFolder folder(ql::platform::GetTempDir());
        // Whole or not at all: the path is written beside and renamed.
        ql::platform::WriteWholeFile((markers / "held.part").string(), folder.Path());
        ql::platform::RenameReplacing((markers / "held.part").string(), (markers / "held").string());
        return AwaitMark(markers, "release") ? 0 : 3;
    } catch (const ql::UserError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 6;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--hold") return Hold(argv[2]);
    if (argc < 5) return 2;
    const std::string query = argv[1];
    const fs::path markers = argv[2];
    const std::string me = argv[3], other = argv[4];
    const bool leaveFirst = argc > 5 && std::string(argv[5]) == "--leave-first";
    try {
        ql::AppState state;
        {
            const ql::PlacemarkFolder folder(ql::platform::GetTempDir());
            state.TempDir = folder.Path();
            state.QueryLines = ql::OpenQuery(query);
            state.QueryFileName = query;
            // One district far away: every find is outside and gets its file.
            state.PolyTable.SetPolygon(0, {{0.0, 0.0}, {0.0, 0.001}, {0.001, 0.001}, {0.0, 0.0}});
            ql::ScanWaypoints(state);
            Mark(markers, me + ".scanned");
            if (!AwaitMark(markers, other + ".scanned")) return 3;
            ql::ScanWaypoints(state);  // a new scan while the other has its files
            if (!AllFilesThere(state, "after both scans")) return 4;
            Mark(markers, me + ".checked");
            if (!AwaitMark(markers, other + ".checked")) return 3;
            if (!leaveFirst) {
                if (!AwaitMark(markers, other + ".gone")) return 3;
                if (!AllFilesThere(state, "after the other ended")) return 5;
            }
            ql::RemovePlacemarkFiles(state);
        }
        Mark(markers, me + ".gone");
        return 0;
    } catch (const ql::UserError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 6;
    }
}

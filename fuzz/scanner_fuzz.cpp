// Feeds arbitrary bytes to the waypoint scanner as a loaded query. The only
// failure allowed out is the program's own error with a message for the user.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "state/app_state.h"
#include "query/query_text.h"
#include "scan/scanner.h"
#include "base/user_error.h"
#include "geo/point_in_polygon.h"

namespace {

ql::TPolyArray Square(double lat, double lon, double size)
{
    return {{lat, lon}, {lat, lon + size}, {lat + size, lon + size}, {lat + size, lon}};
}

ql::AppState& State()
{
    static ql::AppState* state = [] {
        auto* s = new ql::AppState;
        const auto folder = std::filesystem::temp_directory_path() /
                            ("ql_scanner_fuzz_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(folder);
        s->TempDir = folder.string() + "/";
        s->PolyTable.SetPolygon(0, Square(49, 7, 1));
        s->PolyTable.SetPolygon(24, Square(49.5, 7.5, 1));
        return s;
    }();
    return *state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ql::AppState& state = State();
    state.QueryLines = ql::QueryText::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
    state.CutoffEnabled = size % 2 == 0;
    try {
        const int rows = ql::ScanWaypoints(state);
        if (rows != static_cast<int>(state.Rows.size())) __builtin_trap();
        if (state.NIPList.size() != static_cast<std::size_t>(state.NotInPolygonCount)) __builtin_trap();
    } catch (const ql::UserError&) {
    }
    return 0;
}

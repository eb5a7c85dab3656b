// The whole open of a query, as the main window does it: file bytes on disk,
// read as a GPX or extracted from a ZIP archive, split into lines, checked for
// My Finds, scanned into rows. The first input byte chooses the path (odd: the
// file is an archive); the rest is the file. The only failure allowed out is
// the program's own error; every message is free of control characters.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "archive/extract.h"
#include "base/user_error.h"
#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "query/query_text.h"
#include "scan/placemark.h"
#include "scan/scanner.h"
#include "geo/point_in_polygon.h"

namespace {

ql::TPolyArray Square(double lat, double lon, double size)
{
    return {{lat, lon}, {lat, lon + size}, {lat + size, lon + size}, {lat + size, lon}};
}

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        auto f = std::filesystem::temp_directory_path() /
                 ("ql_open_fuzz_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(f / "placemarks");
        return f;
    }();
    return folder;
}

void CheckMessage(const char* message)
{
    for (const char* p = message; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const bool zip = (data[0] & 1) != 0;
    const std::string path = (Folder() / (zip ? "q.zip" : "q.gpx")).string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }

    ql::AppState state;
    state.TempDir = (Folder() / "placemarks").string() + "/";
    state.QueryFileName = path;
    state.CutoffEnabled = (data[0] & 2) != 0;
    state.PolyTable.SetPolygon(0, Square(49, 7, 1));
    state.PolyTable.SetPolygon(24, Square(49.5, 7.5, 1));
    try {
        state.QueryLines = ql::OpenQuery(path);
        if (ql::IsMyFindsQuery(state.QueryLines)) {
            const ql::QueryScan scan = ql::ScanQuery(state);
            if (scan.Rows != static_cast<int>(state.Rows.size())) __builtin_trap();
            if (state.NIPList.size() != static_cast<std::size_t>(state.NotInPolygonCount)) __builtin_trap();
            if (state.PlacemarkFiles.size() != state.NIPList.size()) __builtin_trap();
            CheckMessage(scan.Incomplete.c_str());
        }
    } catch (const ql::UserError& e) {
        CheckMessage(e.what());
    }
    ql::RemovePlacemarkFiles(state);
    return 0;
}

#include "setup.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#include "core/tables.h"
#include "geo/point_in_polygon.h"
#include "districts/district_map.h"
#include "districts/polygon_files.h"
#include "platform/platform.h"
#include "query/query_pipeline.h"
#include "scan/placemark_files_beside.h"
#include "scan/scanner.h"
#include "scan/query_scan.h"
#include "base/user_error.h"
#include "scan/placemark_folder.h"

#include <chrono>
#include <functional>
#include <exception>
#include <thread>

namespace bench {

std::string MakeFolderIn(const std::string& parent, const std::string& prefix)
{
    // A name nobody holds yet: create_directory tells whether it made the folder.
    const std::filesystem::path base(parent);
    std::random_device seed;
    std::mt19937 random(seed());
    const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + "-";
        for (int i = 0; i < 6; ++i) name += digits[random() % (sizeof digits - 1)];
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec))
            return (base / name).string() + ql::platform::PathSeparator;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::TempFolder(const std::string& prefix, const std::string& parent)
        : path_(MakeFolderIn(parent.empty() ? std::filesystem::temp_directory_path().string() : parent, prefix))
{
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void LoadPolygons(ql::AppState& state, std::string dir)
{
    if (!dir.empty() && dir.back() != ql::platform::PathSeparator) dir += ql::platform::PathSeparator;
    ql::LoadDistrictFolder(state.PolyTable, dir);
}

void OnAThreadOfItsOwn(const std::function<void()>& step)
{
    std::exception_ptr failure;
    std::thread beside([&] {
        try {
            step();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    beside.join();
    if (failure) std::rethrow_exception(failure);
}

ql::QueryText OpenAsTheWindow(const std::string& path, const ql::CancelToken& stop)
{
    ql::NoExtractProgress progress;
    ql::QueryText text;
    OnAThreadOfItsOwn([&] { text = ql::OpenQuery(path, progress, &stop); });
    return text;
}

ql::QueryScan ScanAsTheWindow(ql::AppState& state, const ql::CancelToken& stop)
{
    ql::AppState results;
    results.TempDir = state.TempDir;
    results.QueryFileName = state.QueryFileName;
    results.CutoffEnabled = state.CutoffEnabled;
    results.PlacemarkCapTold = state.PlacemarkCapTold;
    ql::QueryScan scan;
    OnAThreadOfItsOwn([&] {
        scan = ql::ScanQuery(
            results, ql::ScanSource{state.QueryLines, state.PolyTable, &stop, true, ql::BoundariesLoaded(state)});
    });
    state.Rows = std::move(results.Rows);
    state.DistrictTally = results.DistrictTally;
    state.NotInPolygonCount = results.NotInPolygonCount;
    state.NIPList = std::move(results.NIPList);
    state.PlacemarkFiles = std::move(results.PlacemarkFiles);
    state.PlacemarkTexts = std::move(results.PlacemarkTexts);
    state.PlacemarkFilesCapped = results.PlacemarkFilesCapped;
    state.PlacemarkCapTold = results.PlacemarkCapTold;
    return scan;
}

double WritePlacemarksBeside(ql::AppState& state, std::vector<std::string> stale)
{
    const auto start = std::chrono::steady_clock::now();
    ql::PlacemarkFilesBeside files(state.TempDir, std::move(stale), state.PlacemarkFiles,
                                   std::move(state.PlacemarkTexts));
    state.PlacemarkTexts.clear();
    files.Wait();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string BoxText(std::string message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

void ScanMyFinds(ql::AppState& state, const std::string& path)
{
    const ql::PlacemarkFolder placemarks(ql::platform::GetTempDir());
    state.TempDir = placemarks.Path();
    state.QueryFileName = path;
    state.QueryLines = ql::OpenQuery(path);
    if (!ql::IsMyFindsQuery(state.QueryLines)) throw ql::UserError(" Fehler !  Das ist keine MyFinds Query - Datei .");
    const ql::QueryScan scan = ql::ScanQuery(state);
    if (!scan.Incomplete.empty()) std::fprintf(stderr, "%s\n", BoxText(scan.Incomplete).c_str());
}

}  // namespace bench

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
        if (std::filesystem::create_directory(base / name, ec)) return (base / name).string() + ql::platform::PathSeparator;
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

}  // namespace bench

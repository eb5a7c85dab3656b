#include "setup.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <stdlib.h>

#include "core/tables.h"
#include "geo/point_in_polygon.h"
#include "core/polygon_files.h"
#include "platform/platform.h"

namespace bench {

std::string MakeFolderIn(const std::string& parent, const std::string& prefix)
{
    std::string pattern = (std::filesystem::path(parent) / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    return pattern + ql::platform::PathSeparator;
}

TempFolder::TempFolder(const std::string& prefix)
    : path_(MakeFolderIn(std::filesystem::temp_directory_path().string(), prefix))
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
    for (int i = 0; i < ql::DistrictCount; ++i)
        state.PolyTable.SetPolygon(i, ql::LoadPolygonFile(dir + std::string(ql::DistrictFileNames[i]) + ".txt"));
}

}  // namespace bench

#include "districts/district_map.h"

#include "base/user_error.h"
#include "districts/polygon_files.h"

namespace ql {

DistrictMap::DistrictMap()
{
    locator_.Build(polygons_);
    for (auto& border : borders_) border = std::make_shared<LazyBorder>();
}

void DistrictMap::SetPolygon(int district, TPolyArray polygon)
{
    if (district < 0 || district >= DistrictCount) ThrowIndexError(district);
    const auto i = static_cast<std::size_t>(district);
    polygons_[i] = std::move(polygon);
    locator_.Update(i, polygons_[i]);
    borders_[i] = std::make_shared<LazyBorder>();
}

void DistrictMap::BuildGrid()
{
    locator_.BuildGrid(polygons_);
}

const BorderIndex& DistrictMap::Border(int district) const
{
    LazyBorder& border = *borders_[static_cast<std::size_t>(district)];
    std::call_once(border.built, [&] { border.index.Build(RealBorderEdges((*this)[district])); });
    return border.index;
}

std::optional<int> DistrictMap::Find(TFPoint p) const
{
    return locator_.Find(p);
}

std::string PolygonFilePath(const std::string& folder, int district)
{
    if (district < 0 || district >= DistrictCount) ThrowIndexError(district);
    return folder + std::string(DistrictFileNames[static_cast<std::size_t>(district)]) + ".txt";
}

void LoadDistrictFolder(DistrictMap& districts, const std::string& folder,
                        const std::function<void(int district, const std::string& path)>& before)
{
    for (int i = 0; i < DistrictCount; ++i) {
        const std::string path = PolygonFilePath(folder, i);
        if (before) before(i, path);
        districts.SetPolygon(i, LoadPolygonFile(path));
    }
    districts.BuildGrid();
}

}  // namespace ql

#pragma once
// The 36 district polygons and the index built from them, owned together so
// that the index always answers for the polygons as they are.

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <optional>
#include <string_view>

#include "core/tables.h"
#include "geo/border_distance.h"
#include "geo/district_locator.h"
#include "geo/point.h"

namespace ql {

using PolygonTable = std::array<TPolyArray, DistrictCount>;

class DistrictMap {
public:
    DistrictMap();

    // Replaces district i's polygon; an index outside 0..35 throws the index error.
    // Find then tests every point until BuildGrid.
    void SetPolygon(int district, TPolyArray polygon);
    // The grid that lets Find answer most points at once, over the polygons
    // as they are now (LoadDistrictFolder builds it).
    void BuildGrid();

    const TPolyArray& operator[](int district) const { return polygons_[static_cast<std::size_t>(district)]; }
    const PolygonTable& Polygons() const { return polygons_; }
    auto begin() const { return polygons_.begin(); }
    auto end() const { return polygons_.end(); }

    // The first district (index order) whose polygon contains p, or none.
    std::optional<int> Find(TFPoint p) const;

    // The real border of district i (bridges left out), indexed for distances.
    // Built on the first call after the polygon was set (only the district
    // overview needs it); safe from several threads at once.
    const BorderIndex& Border(int district) const;

private:
    PolygonTable polygons_;
    DistrictLocator locator_;
    // A border index and whether it is built yet; a copy of the map shares it
    // until its polygon is set anew.
    struct LazyBorder {
        std::once_flag built;
        BorderIndex index;
    };
    std::array<std::shared_ptr<LazyBorder>, DistrictCount> borders_;
};

// The polygon file of a district in a folder that ends with the separator.
std::string PolygonFilePath(const std::string& folder, int district);

// Reads the 36 polygon files of a folder into the map, in district order,
// and builds its grid.
// `before(district, path)` runs before each file (the polygon window logs and
// shows its progress there). A file that cannot be read throws as
// LoadPolygonFile does; the districts read before it stay in the map.
void LoadDistrictFolder(DistrictMap& districts, const std::string& folder,
                        const std::function<void(int district, const std::string& path)>& before = {});

}  // namespace ql

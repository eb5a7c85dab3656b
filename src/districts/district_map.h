#pragma once
// The 36 district polygons and the index built from them, owned together so
// that the index always answers for the polygons as they are.

#include <array>
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
    void SetPolygon(int district, TPolyArray polygon);

    const TPolyArray& operator[](int district) const { return polygons_[static_cast<std::size_t>(district)]; }
    const PolygonTable& Polygons() const { return polygons_; }
    auto begin() const { return polygons_.begin(); }
    auto end() const { return polygons_.end(); }

    // The first district (index order) whose polygon contains p, or none.
    std::optional<int> Find(TFPoint p) const;

    // The real border of district i (bridges left out), indexed for distances.
    const BorderIndex& Border(int district) const { return borders_[static_cast<std::size_t>(district)]; }

private:
    PolygonTable polygons_;
    DistrictLocator locator_;
    std::array<BorderIndex, DistrictCount> borders_;
};

}  // namespace ql

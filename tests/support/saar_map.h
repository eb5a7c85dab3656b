#pragma once
// A small map shared by the tests of the overview, the proof list and the
// planner: Trier-Saarburg a square with Trier as its hole, joined by a bridge,
// as the shipped files join them; and a scan's rows on it.

#include <cmath>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/tables.h"
#include "districts/district_map.h"
#include "geo/coord_text.h"

namespace ql::test {

constexpr int TrierSaarburg = 21;
constexpr int Trier = 33;

inline DistrictMap SaarMap()
{
    DistrictMap map;
    map.SetPolygon(TrierSaarburg, {{50.00, 7.00},
                                   {50.04, 7.00},
                                   {50.04, 7.04},
                                   {50.00, 7.04},
                                   {50.00, 7.00},
                                   {50.01, 7.01},
                                   {50.01, 7.02},
                                   {50.02, 7.02},
                                   {50.02, 7.01},
                                   {50.01, 7.01}});
    map.SetPolygon(Trier, {{50.01, 7.01}, {50.02, 7.01}, {50.02, 7.02}, {50.01, 7.02}});
    return map;
}

// The small map with a degenerate district beside it, which has no border at all.
inline DistrictMap SmallMap()
{
    DistrictMap map = SaarMap();
    map.SetPolygon(0, {{50.1, 7.1}, {50.2, 7.2}});
    return map;
}

inline CacheRow Row(const char* code, const char* name, const char* date, const char* lat, const char* lon,
                    int district)
{
    CacheRow row;
    row.GCCode = code;
    row.Name = name;
    row.FindDate = date;
    row.District = district >= 0 ? std::string(DistrictNames[static_cast<std::size_t>(district)]) : "NOT IN POLYGON!";
    row.NotInPolygon = district < 0;
    row.LatText = CoordText(lat, CoordLatitude);
    row.LonText = CoordText(lon, CoordLongitude);
    row.Point = {std::stod(lat), std::stod(lon)};
    row.DistrictIndex = district;
    return row;
}

inline std::vector<CacheRow> SmallRows()
{
    std::vector<CacheRow> rows = {
        Row("GC10", "Fish &amp; Chips", "2012-01-10", "50.005", "7.035", TrierSaarburg),  // 358 m from the east edge
        Row("GC11", "Am Rand", "2012-01-11", "50.001", "7.03", TrierSaarburg),  // 111 m from the south edge
        Row("GC12", "Porta", "2013-02-12", "50.015", "7.015", Trier),  // 358 m, mid-city
        Row("GC13", "Stadtgrenze", "2013-02-13", "50.0105", "7.015", Trier),  //  56 m
        Row("GC14", "Draussen", "2014-03-14", "49.999", "7.02", -1),  // 111 m south of the map
        Row("GC15", "Ohne Ort", "2014-03-15", "50.015", "7.015", Trier),
        Row("GC16", "Gleich weit", "2015-04-16", "50.005", "7.035", TrierSaarburg),  // a tie with GC10
        Row("GC17", "Vor der Stadt", "2015-04-17", "50.0095", "7.015", TrierSaarburg),  //  56 m from the hole
    };
    rows[5].Point = {std::nan(""), 7.015};
    return rows;
}

}  // namespace ql::test

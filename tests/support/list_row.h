#pragma once
// A row of the main window's list as a scan makes it, with texts of the kinds
// a query holds (German letters, the degree sign).

#include "core/records.h"

namespace ql::test {

inline CacheRow ListRow(const char* code, const char* name, int type, bool notInPolygon, const char* district = "Mainz")
{
    CacheRow r;
    r.GCCode = code;
    r.TypeIndex = type;
    r.Name = name;
    r.Difficulty = "1.0";
    r.Terrain = "2.5";
    r.FindDate = "2012-03-04";
    r.District = notInPolygon ? "NOT IN POLYGON!" : district;
    r.LatText = "N 049° 59.940";
    r.LonText = "E 008° 16.434";
    r.NotInPolygon = notInPolygon;
    return r;
}

}  // namespace ql::test

#pragma once
// The records a scan leaves behind for the result windows.

#include <array>
#include <cstdint>
#include <string>

#include "core/tables.h"
#include "geo/point.h"

namespace ql {

// One cache that lies in no district polygon. The fields hold single-byte text
// in the ANSI code page, each cut to its capacity.
struct TNIPDatum {
    static constexpr std::size_t GCNummerCapacity = 10;
    static constexpr std::size_t CachenameCapacity = 40;
    static constexpr std::size_t TypCapacity = 20;
    static constexpr std::size_t KoordsCapacity = 30;
    static constexpr std::size_t fKoordsCapacity = 30;

    std::string GCNummer;
    std::string Cachename;
    std::string Typ;
    std::string Koords;
    std::string fKoords;

    // Fills every field from UTF-8 texts: converted to the ANSI code page, then cut.
    static TNIPDatum FromUtf8(std::string_view gcCode, std::string_view name, std::string_view type,
                              std::string_view coordTexts, std::string_view decimalCoords);
};

// One row of the result list, in column order. Texts are UTF-8 as the query gives them.
struct CacheRow {
    std::string GCCode;       // column 0 (caption)
    int TypeIndex = -1;       // column 1 icon, -1 for none
    std::string Name;         // column 2
    std::string Difficulty;   // column 3
    std::string Terrain;      // column 4
    std::string FindDate;     // column 5
    std::string District;     // column 6: display name or "NOT IN POLYGON!"
    std::string LatText;      // column 7
    std::string LonText;      // column 8
    bool NotInPolygon = false;  // the row carries the not-in-polygon icon before its caption
    TFPoint Point;              // the waypoint's latitude (X) and longitude (Y) as the query has them
    int DistrictIndex = -1;     // the district that counts the find, -1 for none
};

using DistrictTallyArray = std::array<std::int32_t, DistrictCount>;

}  // namespace ql

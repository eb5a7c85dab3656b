#pragma once
// Fixed tables of the program: the 36 districts of Rheinland-Pfalz, the twelve
// cache types shown as icons, and the initialised constants.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace ql {

constexpr int DistrictCount = 36;
constexpr int LandkreisCount = 24;  // 0..23 Landkreise, 24..35 Stadtkreise

// Display names, in district index order.
constexpr std::array<std::string_view, DistrictCount> DistrictNames = {
    "Ahrweiler",                   //  0
    "Altenkirchen (Westerwald)",   //  1
    "Alzey-Worms",                 //  2
    "Bad Dürkheim",                //  3
    "Bad Kreuznach",               //  4
    "Bernkastel-Wittlich",         //  5
    "Birkenfeld",                  //  6
    "Cochem-Zell",                 //  7
    "Donnersbergkreis",            //  8
    "Eifelkreis Bitburg-Prüm",     //  9
    "Germersheim",                 // 10
    "Kaiserslautern",              // 11
    "Kusel",                       // 12
    "Mainz-Bingen",                // 13
    "Mayen-Koblenz",               // 14
    "Neuwied",                     // 15
    "Rhein-Hunsrück-Kreis",        // 16
    "Rhein-Lahn-Kreis",            // 17
    "Rhein-Pfalz-Kreis",           // 18
    "Südliche Weinstraße",         // 19
    "Südwestpfalz",                // 20
    "Trier-Saarburg",              // 21
    "Vulkaneifel",                 // 22
    "Westerwaldkreis",             // 23
    "Frankenthal (Pfalz)",         // 24
    "Koblenz",                     // 25
    "Landau in der Pfalz",         // 26
    "Ludwigshafen am Rhein",       // 27
    "Mainz",                       // 28
    "Neustadt an der Weinstraße",  // 29
    "Pirmasens",                   // 30
    "Speyer",                      // 31
    "Stadt Kaiserslautern",        // 32
    "Trier",                       // 33
    "Worms",                       // 34
    "Zweibrücken",                 // 35
};

// Base names of the polygon files: the display name with "ü" -> "ue", "ß" -> "ss".
constexpr std::array<std::string_view, DistrictCount> DistrictFileNames = {
    "Ahrweiler",
    "Altenkirchen (Westerwald)",
    "Alzey-Worms",
    "Bad Duerkheim",
    "Bad Kreuznach",
    "Bernkastel-Wittlich",
    "Birkenfeld",
    "Cochem-Zell",
    "Donnersbergkreis",
    "Eifelkreis Bitburg-Pruem",
    "Germersheim",
    "Kaiserslautern",
    "Kusel",
    "Mainz-Bingen",
    "Mayen-Koblenz",
    "Neuwied",
    "Rhein-Hunsrueck-Kreis",
    "Rhein-Lahn-Kreis",
    "Rhein-Pfalz-Kreis",
    "Suedliche Weinstrasse",
    "Suedwestpfalz",
    "Trier-Saarburg",
    "Vulkaneifel",
    "Westerwaldkreis",
    "Frankenthal (Pfalz)",
    "Koblenz",
    "Landau in der Pfalz",
    "Ludwigshafen am Rhein",
    "Mainz",
    "Neustadt an der Weinstrasse",
    "Pirmasens",
    "Speyer",
    "Stadt Kaiserslautern",
    "Trier",
    "Worms",
    "Zweibruecken",
};

// Position = type icon index.
constexpr std::array<std::string_view, 12> CacheTypeNames = {
    "TRADITIONAL CACHE",        //  0
    "MULTI-CACHE",              //  1
    "UNKNOWN CACHE",            //  2
    "EARTHCACHE",               //  3
    "WEBCAM CACHE",             //  4
    "WHERIGO CACHE",            //  5
    "CACHE IN TRASH OUT EVENT", //  6
    "LETTERBOX HYBRID",         //  7
    "EVENT CACHE",              //  8
    "MEGA-EVENT CACHE",         //  9
    "GIGA-EVENT CACHE",         // 10
    "VIRTUAL CACHE",            // 11
};
constexpr int NotInPolygonIcon = 12;
constexpr int NoTypeIcon = -1;

constexpr std::string_view NotInPolygonText = "NOT IN POLYGON!";
constexpr std::string_view CutoffDate = "2011-05-24";
constexpr std::string_view FileUrlPrefix = "file:///";
constexpr std::string_view GsakRegistryKey = "\\Software\\GSAK";
constexpr std::uint32_t AltRowColor = 0x00C8FFC8;  // blue 200, green 255, red 200

// Folder names end with the platform's separator, like every folder path here.
#ifdef _WIN32
constexpr std::string_view PolygonSubfolder = "rlp_polygons\\";
constexpr std::string_view GsakPolygonSubfolder = "locations\\counties\\deu\\all_deu\\";
#else
constexpr std::string_view PolygonSubfolder = "rlp_polygons/";
constexpr std::string_view GsakPolygonSubfolder = "locations/counties/deu/all_deu/";
#endif

// The type icon index of a type text: letters a-z upper-cased, then the first
// exactly equal name; no match gives no index.
std::optional<int> TypeIconIndex(std::string_view typeText);

}  // namespace ql

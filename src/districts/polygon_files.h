#pragma once
// Where the district polygons come from and how one polygon file is read.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geo/point.h"
#include "platform/platform.h"

namespace ql {

// The file search that gives a path's last component as stored on disk
// (platform::FindStoredName outside tests).
using StoredNameLookup = std::function<std::optional<std::string>(const std::string&)>;

// The folder the district polygons are read from.
struct PolygonFolder {
    std::string Dir;  // ends with the platform's separator
    bool GsakFound = false;  // GSAK's polygon folder, not the one beside the program
};

// GSAK's polygon folder from its registry key when that folder exists, else
// programDir + "rlp_polygons/". A registry value of another type than text
// counts as missing: the fallback folder serves and no error leaves (the key
// is closed in every case).
PolygonFolder ResolvePolygonDir(const std::string& programDir, platform::RegistryReader& registry,
                                const StoredNameLookup& findStoredName = platform::FindStoredName);

// The long form of a Windows path (backslashes): each component as the file
// system stores it, a missing component left out, a final backslash dropped.
std::string ExpandLongPath(const std::string& path, const StoredNameLookup& findStoredName);

// The first line of a polygon file (ANSI text, or as its byte-order mark says),
// as UTF-8 without its line break; empty when no file is at the path or the
// file is empty. nullopt when the file exists but cannot be opened or read.
std::optional<std::string> ReadFirstLine(const std::string& path);

// Reads the vertices of one polygon file (header line skipped). A file with no
// lines at all throws "Fehler bei Bereichsprüfung"; a bad vertex text throws
// the number error; a latitude outside -90 to 90 or a longitude outside -180
// to 180 throws "Datei %s, Zeile %d: '%s' ist keine gültige Breite (-90 bis
// 90)." (or "... Länge (-180 bis 180)."), the file's first line being 1; a
// file that cannot be read throws the open error.
TPolyArray LoadPolygonFile(const std::string& path);

// The same rules over bytes already read from `path` (exposed for the
// reader's tests and the fuzzer).
TPolyArray ParsePolygonText(std::string_view bytes, const std::string& path);

}  // namespace ql

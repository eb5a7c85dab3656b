#pragma once
// Where the district polygons come from and how one polygon file is read.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geo/point.h"
#include "platform/platform.h"

namespace ql {

struct AppState;

// Sets PolygonDir (and GsakPolygonsFound) from GSAK's registry key, or to
// ProgramDir + "rlp_polygons/" when GSAK provides no polygon folder.
void ResolvePolygonDir(AppState& state, platform::RegistryReader& registry);

// The long form of a path: each component as the file system stores it, a
// missing component left out, a final separator dropped. findStoredName is
// the file search (platform::FindStoredName outside tests).
using StoredNameLookup = std::function<std::optional<std::string>(const std::string&)>;
std::string ExpandLongPath(const std::string& path, const StoredNameLookup& findStoredName);

// The first line of a text file; empty when the file is missing or empty.
std::string ReadFirstLine(const std::string& path);

// Reads the vertices of one polygon file (header line skipped).
TPolyArray LoadPolygonFile(const std::string& path);

}  // namespace ql

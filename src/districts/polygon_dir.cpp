// Where the district polygons come from: GSAK's polygon folder when the
// current user's registry names an existing one, else the folder beside the
// program.

#include <string>

#include "core/tables.h"
#include "base/user_error.h"
#include "districts/polygon_files.h"

namespace ql {

namespace {

// The text before the last backslash; that backslash stays when it directly
// follows a colon or another backslash ("C:\Program Files" -> "C:\").
std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('\\');
    if (slash == std::string::npos) return {};
    const bool keep = slash > 0 && (path[slash - 1] == ':' || path[slash - 1] == '\\');
    return path.substr(0, keep ? slash + 1 : slash);
}

// Reads the GSAK base folder from the open key; found when its polygon folder exists.
PolygonFolder ReadGsakFolder(platform::RegistryReader& registry, const StoredNameLookup& findStoredName)
{
    PolygonFolder folder;
    const std::string exePath = registry.ReadString("ExePath").value_or(std::string());
    const std::string longPath = ExpandLongPath(exePath, findStoredName);
    const std::string base = registry.ReadString(longPath).value_or(std::string());
    folder.Dir = base + platform::PathSeparator + std::string(GsakPolygonSubfolder);
    folder.GsakFound = platform::DirectoryExists(folder.Dir);
    return folder;
}

}  // namespace

std::string ExpandLongPath(const std::string& path, const StoredNameLookup& findStoredName)
{
    std::string rest;  // the stored names found so far, joined by backslashes
    std::string p = path;
    for (;;) {
        if (const auto name = findStoredName(p)) rest = rest.empty() ? *name : *name + '\\' + rest;
        std::string parent = ParentOf(p);
        // A run of backslashes after the drive ("C:\\\\") is its own parent;
        // stop there instead of searching it forever.
        const bool stuck = parent.size() >= p.size();
        p = std::move(parent);
        if (p.size() <= 3 || stuck) break;
    }
    return p.empty() ? rest : p + rest;
}

PolygonFolder ResolvePolygonDir(const std::string& programDir, platform::RegistryReader& registry,
                                const StoredNameLookup& findStoredName)
{
    PolygonFolder folder;
    if (registry.OpenKey(std::string(GsakRegistryKey))) {
        try {
            folder = ReadGsakFolder(registry, findStoredName);
        } catch (const UserError&) {
            // A value of another type than text is GSAK's business, like a
            // missing value: the folder beside the program serves instead,
            // and the main window's creation goes on.
            folder.GsakFound = false;
        } catch (...) {
            registry.CloseKey();
            throw;
        }
        registry.CloseKey();
    }
    if (folder.Dir.empty() || !folder.GsakFound) folder = {programDir + std::string(PolygonSubfolder), false};
    return folder;
}

}  // namespace ql

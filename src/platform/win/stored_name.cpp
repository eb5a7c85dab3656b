// The name of a path's last component as the file system stores it: the
// long form of an 8.3 name.

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

std::optional<std::string> FindStoredName(const std::string& path)
{
    // A path ending with a separator, or naming no component, finds nothing.
    if (path.empty() || path.back() == '\\' || path.back() == '/') return std::nullopt;
    // Wildcards would turn the lookup into a search for other entries.
    if (path.find_first_of("*?") != std::string::npos) return std::nullopt;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(Wide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(search);
    return Utf8(found.cFileName);  // ends at its terminator
}

}  // namespace ql::platform

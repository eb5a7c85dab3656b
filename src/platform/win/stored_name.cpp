// The name of a path's last component as the file system stores it: the
// long form of an 8.3 name.

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace ql::platform {

namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const wchar_t* text)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

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
    return Utf8(found.cFileName);
}

}  // namespace ql::platform

// UTF-8 <-> UTF-16 through MultiByteToWideChar / WideCharToMultiByte.

#include "platform/win/wide_text.h"

#include <windows.h>

namespace ql::platform {

std::wstring Wide(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::wstring WidePath(std::string_view utf8)
{
    std::wstring wide = Wide(utf8);
    if (wide.size() < 248 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // The prefix turns off the system's own clean-up of the path: make it
    // absolute, with backslashes and without "." and ".." first.
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return wide;
    full.resize(got);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
    return L"\\\\?\\" + full;
}

std::string Utf8(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace ql::platform

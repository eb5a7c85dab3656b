// Conversion between UTF-8 and the system's ANSI code page.

#include <windows.h>

#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

std::string Utf8ToAnsi(std::string_view utf8)
{
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string ansi(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    if (ansi.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return Utf8(wide);
}

}  // namespace ql::platform

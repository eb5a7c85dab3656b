// System information on Windows: version, native processor architecture,
// memory status, file version resources and the locale's thousands separator.

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win/wide_text.h"

#ifdef _MSC_VER
#pragma comment(lib, "version.lib")
#endif

namespace ql::platform {

namespace {

using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

}  // namespace

OsVersion QueryOsVersion()
{
    OsVersion os;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 276
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)  // the version as the program's manifest lets the system report it
#endif
    if (!::GetVersionExW(&info)) return os;
#ifdef _MSC_VER
#pragma warning(pop)
#endif
    os.PlatformId = info.dwPlatformId;
    os.Major = info.dwMajorVersion;
    os.Minor = info.dwMinorVersion;
    os.Build = info.dwBuildNumber;
    os.ServicePack = Utf8(std::wstring_view(info.szCSDVersion, ::wcsnlen(info.szCSDVersion, 128)));
    return os;
}

std::uint16_t NativeProcessorArchitecture()
{
    // Looked up by name: systems before XP do not have the call, and then the
    // architecture counts as not x64.
    SYSTEM_INFO info{};
    if (HMODULE kernel = ::LoadLibraryW(L"kernel32")) {
        auto fn = reinterpret_cast<GetNativeSystemInfoFn>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetNativeSystemInfo")));
        if (fn) fn(&info);
        ::FreeLibrary(kernel);
    }
    return info.wProcessorArchitecture;
}

std::optional<MemoryStatus> QueryMemoryStatus()
{
    // GlobalMemoryStatusEx is looked up the first time; where it is missing,
    // GlobalMemoryStatus gives the same figures as 32-bit values.
    static const GlobalMemoryStatusExFn memoryStatusEx = [] {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32");
        return kernel ? reinterpret_cast<GlobalMemoryStatusExFn>(
                            reinterpret_cast<void*>(::GetProcAddress(kernel, "GlobalMemoryStatusEx")))
                      : nullptr;
    }();
    MemoryStatus status;
    if (memoryStatusEx) {
        MEMORYSTATUSEX ex{};
        ex.dwLength = sizeof(ex);  // 64
        if (!memoryStatusEx(&ex)) return std::nullopt;  // GetLastError() tells why
        status.TotalPhys = ex.ullTotalPhys;
        status.AvailPhys = ex.ullAvailPhys;
        status.TotalPageFile = ex.ullTotalPageFile;
        status.AvailPageFile = ex.ullAvailPageFile;
        return status;
    }
    MEMORYSTATUS old{};
    old.dwLength = sizeof(old);
    ::GlobalMemoryStatus(&old);
    status.TotalPhys = static_cast<std::uint32_t>(old.dwTotalPhys);
    status.AvailPhys = static_cast<std::uint32_t>(old.dwAvailPhys);
    status.TotalPageFile = static_cast<std::uint32_t>(old.dwTotalPageFile);
    status.AvailPageFile = static_cast<std::uint32_t>(old.dwAvailPageFile);
    return status;
}

std::optional<FileVersion> GetFileVersionNumbers(const std::string& path)
{
    const std::wstring file = Wide(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> block(size);  // released on every way out
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
    FileVersion version;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        version.Major = HIWORD(fixed->dwFileVersionMS);
        version.Minor = LOWORD(fixed->dwFileVersionMS);
        version.Release = HIWORD(fixed->dwFileVersionLS);
        version.Build = LOWORD(fixed->dwFileVersionLS);
    }
    return version;  // 0.0.0.0 when the root query found nothing
}

std::string ThousandsSeparator()
{
    wchar_t buffer[8] = {};
    const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8);
    if (n <= 0) return ".";
    return Utf8(std::wstring_view(buffer, ::wcsnlen(buffer, 8)));
}

bool RunsAsRoot()
{
    return false;
}

}  // namespace ql::platform

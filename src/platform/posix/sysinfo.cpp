// System information on POSIX systems, in the shape the Windows calls give it.
//
// - Operating system: platform identifier 4, beyond the Windows identifiers
//   (0 Win32s, 1 Windows 95 family, 2 NT family, 3 CE), so the Windows naming
//   table gives no name and a Linux 6.1 kernel is never called "Windows 7".
//   Major, minor and build are the first three numbers of the kernel release
//   ("6.1.0-18-amd64" -> 6, 1, 0); the service-pack text is the distribution's
//   PRETTY_NAME from os-release, or the kernel's name where there is none.
// - Processor architecture: the machine name mapped to the Windows codes.
// - Memory: total and available physical memory and total and free swap
//   (the page file's counterpart) from /proc/meminfo, else sysinfo(2).
// - Version numbers: only the program's own executable has them, from the build.
// - Thousands separator: the user's numeric locale; "." (the German
//   interface's) when the locale groups without one.

#include <langinfo.h>
#include <locale.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#if defined(__linux__)
#include <sys/sysinfo.h>
#endif

#include "platform/platform.h"

namespace ql::platform {

namespace {

constexpr std::uint32_t PosixPlatformId = 4;

// Windows processor architecture codes.
constexpr std::uint16_t ArchIntel = 0, ArchArm = 5, ArchIa64 = 6, ArchAmd64 = 9, ArchArm64 = 12,
                        ArchUnknown = 0xFFFF;

// Reads the leading decimal number of text and moves past it and one following
// separator; 0 when there is none.
std::uint32_t TakeNumber(std::string_view& text)
{
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc()) value = 0;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (!text.empty() && (text.front() == '.' || text.front() == '-')) text.remove_prefix(1);
    return value;
}

// The value of KEY=VALUE in an os-release file, quotes and escapes removed.
std::string OsReleaseValue(const std::string& path, std::string_view key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() <= key.size() || line.compare(0, key.size(), key) != 0 || line[key.size()] != '=') continue;
        std::string_view value(line);
        value.remove_prefix(key.size() + 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.remove_suffix(1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        std::string out;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            out += value[i];
        }
        return out;
    }
    return {};
}

// A figure of /proc/meminfo in bytes ("MemTotal:  16314112 kB"); nullopt when absent.
std::optional<std::uint64_t> MeminfoValue(const std::string& meminfo, std::string_view key)
{
    std::size_t at = 0;
    while ((at = meminfo.find(key, at)) != std::string::npos) {
        if ((at == 0 || meminfo[at - 1] == '\n') && at + key.size() < meminfo.size() &&
            meminfo[at + key.size()] == ':') {
            std::string_view rest(meminfo);
            rest.remove_prefix(at + key.size() + 1);
            while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            std::uint64_t kib = 0;
            auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), kib);
            if (ec != std::errc()) return std::nullopt;
            return kib * 1024;
        }
        at += key.size();
    }
    return std::nullopt;
}

std::optional<MemoryStatus> MemoryFromProc()
{
    std::ifstream in("/proc/meminfo");
    if (!in) return std::nullopt;
    std::string meminfo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto total = MeminfoValue(meminfo, "MemTotal");
    auto avail = MeminfoValue(meminfo, "MemAvailable");
    if (!avail) {  // kernels before 3.14
        auto free = MeminfoValue(meminfo, "MemFree");
        if (free) avail = *free + MeminfoValue(meminfo, "Buffers").value_or(0) +
                          MeminfoValue(meminfo, "Cached").value_or(0);
    }
    if (!total || !avail) return std::nullopt;
    MemoryStatus status;
    status.TotalPhys = *total;
    status.AvailPhys = *avail;
    status.TotalPageFile = MeminfoValue(meminfo, "SwapTotal").value_or(0);
    status.AvailPageFile = MeminfoValue(meminfo, "SwapFree").value_or(0);
    return status;
}

}  // namespace

OsVersion QueryOsVersion()
{
    OsVersion os;
    os.PlatformId = PosixPlatformId;
    struct utsname names {};
    if (::uname(&names) != 0) return os;
    std::string_view release = names.release;
    os.Major = TakeNumber(release);
    os.Minor = TakeNumber(release);
    os.Build = TakeNumber(release);
    std::string pretty = OsReleaseValue("/etc/os-release", "PRETTY_NAME");
    if (pretty.empty()) pretty = OsReleaseValue("/usr/lib/os-release", "PRETTY_NAME");
    os.ServicePack = pretty.empty() ? std::string(names.sysname) : pretty;
    return os;
}

std::uint16_t NativeProcessorArchitecture()
{
    struct utsname names {};
    if (::uname(&names) != 0) return ArchUnknown;
    const std::string_view machine = names.machine;
    if (machine == "x86_64" || machine == "amd64") return ArchAmd64;
    if (machine == "aarch64" || machine == "arm64") return ArchArm64;
    if (machine == "ia64") return ArchIa64;
    if (machine == "i386" || machine == "i486" || machine == "i586" || machine == "i686" || machine == "x86")
        return ArchIntel;
    if (machine.substr(0, 3) == "arm") return ArchArm;
    return ArchUnknown;
}

std::optional<MemoryStatus> QueryMemoryStatus()
{
    if (auto fromProc = MemoryFromProc()) return fromProc;
    MemoryStatus status;
#if defined(__linux__)
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) return std::nullopt;  // errno tells why
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    status.TotalPhys = info.totalram * unit;
    status.AvailPhys = (info.freeram + info.bufferram) * unit;
    status.TotalPageFile = info.totalswap * unit;
    status.AvailPageFile = info.freeswap * unit;
    return status;
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        if (errno == 0) errno = ENOSYS;
        return std::nullopt;
    }
    status.TotalPhys = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#ifdef _SC_AVPHYS_PAGES
    const long avail = ::sysconf(_SC_AVPHYS_PAGES);
    status.AvailPhys = avail > 0 ? static_cast<std::uint64_t>(avail) * static_cast<std::uint64_t>(pageSize) : 0;
#endif
    status.TotalPageFile = status.AvailPageFile = 0;
    return status;
#endif
}

std::optional<FileVersion> GetFileVersionNumbers(const std::string& path)
{
    // ELF files carry no version resource; the running program knows its own.
    std::error_code ec;
    const std::string self = ExecutablePath();
    if (self.empty() || !std::filesystem::equivalent(path, self, ec) || ec) return std::nullopt;
    FileVersion version;
    version.Major = QL_VERSION_MAJOR;
    version.Minor = QL_VERSION_MINOR;
    version.Release = QL_VERSION_PATCH;
    version.Build = QL_VERSION_TWEAK;
    return version;
}

std::string ThousandsSeparator()
{
    // The environment's numeric locale, whatever the program itself has set.
    std::string separator;
    if (locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
        if (const char* sep = ::nl_langinfo_l(THOUSEP, user)) separator = sep;
        ::freelocale(user);
    }
    return separator.empty() ? std::string(".") : separator;
}

bool RunsAsRoot()
{
    return ::geteuid() == 0;
}

}  // namespace ql::platform

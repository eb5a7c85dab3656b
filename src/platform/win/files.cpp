// Files, folders and the temporary folder on Windows.

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

std::string ErrorText(int code)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n')) message.pop_back();
    return Utf8(message);
}

int LastError()
{
    return static_cast<int>(::GetLastError());
}

std::string GetTempDir()
{
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, buffer);
    if (n == 0) throw UserError("Der temporäre Ordner kann nicht ermittelt werden. " + ErrorText(LastError()));
    std::string dir;
    if (n <= MAX_PATH) {
        dir = Utf8(std::wstring_view(buffer, n));
    } else {
        // A longer path: the system told the length it needs.
        std::vector<wchar_t> longer(n + 1);
        const DWORD m = ::GetTempPathW(n + 1, longer.data());
        if (m == 0 || m > n) throw UserError("Der temporäre Ordner kann nicht ermittelt werden. " + ErrorText(LastError()));
        dir = Utf8(std::wstring_view(longer.data(), m));
    }
    if (!DirectoryExists(dir)) ThrowTempDirMissing(dir);
    return dir;
}

std::string ExecutablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Utf8(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableDir()
{
    const std::string path = ExecutablePath();
    const auto slash = path.rfind(PathSeparator);
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

std::string ProgramDataDir(const std::string& executableDir)
{
    return executableDir;  // the ZIP and the MSVC installation keep everything beside the program
}

std::string ReadWholeFile(const std::string& path)
{
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowCannotOpen(path, ErrorText(LastError()));
    if (::GetFileType(file) != FILE_TYPE_DISK) {  // a device or pipe: refused before a read waits on it
        ::CloseHandle(file);
        ThrowNotARegularFile(path);
    }
    LARGE_INTEGER size{};
    std::string bytes;
    if (::GetFileSizeEx(file, &size)) bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 65536);  // the file grew
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data() + got, want, &read, nullptr)) {
            const int err = LastError();
            ::CloseHandle(file);
            ThrowCannotOpen(path, ErrorText(err));
        }
        if (read == 0) break;
        got += read;
    }
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void RequireRegularFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) ThrowCannotOpen(path, ErrorText(LastError()));
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ThrowNotARegularFile(path);
}

void WriteWholeFile(const std::string& path, std::string_view bytes)
{
    // Never through a link: the placemark files go to a folder other users
    // can write to. The name is opened itself, not what a reparse point
    // planted under it names, and such a name is refused before anything is
    // written; only then is the file emptied.
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowCannotCreate(path, ErrorText(LastError()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !::SetEndOfFile(file)) {
        const int err = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? ERROR_CANT_RESOLVE_FILENAME
                                                                                : LastError();
        ::CloseHandle(file);
        ThrowCannotCreate(path, ErrorText(err));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, want, &written, nullptr)) {
            const int err = LastError();
            ::CloseHandle(file);
            // No empty or partial file stays behind (a full disk, for example).
            ::DeleteFileW(Wide(path).c_str());
            ThrowCannotCreate(path, ErrorText(err));
        }
        done += written;
    }
    if (!::CloseHandle(file)) {
        const int err = LastError();
        ::DeleteFileW(Wide(path).c_str());
        ThrowCannotCreate(path, ErrorText(err));
    }
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteFileQuietly(const std::string& path)
{
    ::DeleteFileW(WidePath(path).c_str());
}

bool CreatePrivateFolder(const std::string& path)
{
    // The temporary folder of a Windows user is the user's own; the new
    // folder takes its permissions.
    if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
    const int err = LastError();
    if (err == ERROR_ALREADY_EXISTS) return false;
    ThrowCannotCreate(path, ErrorText(err));
}

std::vector<std::string> OwnFolders(const std::string& parent)
{
    std::vector<std::string> names;
    std::string pattern = parent;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(Wide(pattern + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = Utf8(found.cFileName);
        if (name == "." || name == "..") continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

void RemoveFolderTree(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Wide(path)), ec);
}

std::uint64_t CurrentProcessId()
{
    return ::GetCurrentProcessId();
}

bool SameFileName(const std::string& a, const std::string& b)
{
    const std::wstring x = Wide(a), y = Wide(b);
    return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace ql::platform

#pragma once
// Helpers for tests that run only on Windows: the system's own error texts
// and a file held open by "another program".

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <filesystem>
#include <string>

namespace ql::test {

// The system's text for an error code, asked of FormatMessageW directly and
// without the line break it ends with.
inline std::string SystemMessage(DWORD code)
{
    wchar_t buffer[512] = {};
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                               512, nullptr);
    while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n')) --n;
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(n), text.data(), size, nullptr, nullptr);
    return text;
}

// Holds a file open without sharing it, as a program that locks its files
// does; other opens fail with ERROR_SHARING_VIOLATION until it goes.
class ExclusiveHandle {
public:
    explicit ExclusiveHandle(const std::filesystem::path& path)
        : h_(::CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~ExclusiveHandle()
    {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    ExclusiveHandle(const ExclusiveHandle&) = delete;
    ExclusiveHandle& operator=(const ExclusiveHandle&) = delete;
    bool held() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// A path as UTF-8 text, as the platform functions take it, and back.
inline std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
inline std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The 8.3 form and the long form of an existing path, as the system gives them.
inline std::wstring ShortPathOf(const std::filesystem::path& path)
{
    wchar_t buffer[1024] = {};
    const DWORD n = ::GetShortPathNameW(path.wstring().c_str(), buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}
inline std::wstring LongPathOf(const std::filesystem::path& path)
{
    wchar_t buffer[1024] = {};
    const DWORD n = ::GetLongPathNameW(path.wstring().c_str(), buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

// Plants a symbolic link (a reparse point) to a file; false when the system
// made none (no right to create links, or a system that only says it did).
inline bool PlantSymbolicLink(const std::filesystem::path& link, const std::filesystem::path& target)
{
    const DWORD unprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE, developer mode
    if (!::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), unprivileged) &&
        !::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), 0))
        return false;
    const DWORD attributes = ::GetFileAttributesW(link.wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace ql::test

#endif  // _WIN32

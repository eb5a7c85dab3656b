// Read-only files on Windows: opened with sharing for readers and writers, so
// an archive that another program has open for reading still opens.

#include <windows.h>

#include <string>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

namespace {

class WinReadOnlyFile : public ReadOnlyFile {
public:
    WinReadOnlyFile(HANDLE h, std::uint64_t size) : h_(h), size_(size) {}
    ~WinReadOnlyFile() override { ::CloseHandle(h_); }
    WinReadOnlyFile(const WinReadOnlyFile&) = delete;
    WinReadOnlyFile& operator=(const WinReadOnlyFile&) = delete;

    std::uint64_t Size() const override { return size_; }

    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        std::size_t got = 0;
        while (got < count) {
            OVERLAPPED ov{};
            const std::uint64_t at = offset + got;
            ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            ov.OffsetHigh = static_cast<DWORD>(at >> 32);
            const std::size_t want = count - got;
            DWORD step = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
            DWORD read = 0;
            if (!::ReadFile(h_, out + got, step, &read, &ov) || read == 0) break;
            got += read;
        }
        return got;
    }

private:
    HANDLE h_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::string& path)
{
    // OPEN_EXISTING: a missing path is never created.
    HANDLE h = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return nullptr;
        ThrowCannotOpen(path, ErrorText(static_cast<int>(err)));
    }
    if (::GetFileType(h) != FILE_TYPE_DISK) {  // a device or pipe: refused before a read waits on it
        ::CloseHandle(h);
        ThrowNotARegularFile(path);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) {
        const DWORD err = ::GetLastError();
        ::CloseHandle(h);
        ThrowCannotOpen(path, ErrorText(static_cast<int>(err)));
    }
    return std::make_unique<WinReadOnlyFile>(h, static_cast<std::uint64_t>(size.QuadPart));
}

}  // namespace ql::platform

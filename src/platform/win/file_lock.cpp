// Locks on files on Windows: LockFileEx over the whole file, held for as long
// as the handle is open. The handle lets others read and write the file but
// not delete it, so the folder that holds it stays while its owner runs.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

namespace {

class WindowsFileLock : public FileLock {
public:
    explicit WindowsFileLock(HANDLE file) : file_(file) {}
    ~WindowsFileLock() override { ::CloseHandle(file_); }  // the lock goes with the handle
    WindowsFileLock(const WindowsFileLock&) = delete;
    WindowsFileLock& operator=(const WindowsFileLock&) = delete;

private:
    HANDLE file_;
};

// Locks every byte the file may ever have.
bool LockWhole(HANDLE file, DWORD flags)
{
    OVERLAPPED at{};
    return ::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &at) != 0;
}

}  // namespace

std::unique_ptr<FileLock> CreateLockedFile(const std::string& path, std::string_view bytes)
{
    // CREATE_NEW never follows a link: any entry of that name makes it fail.
    const HANDLE file =
        ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const int err = LastError();
        if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return nullptr;
        ThrowCannotCreate(path, ErrorText(err));
    }
    auto lock = std::make_unique<WindowsFileLock>(file);
    // Waits only while someone who found the empty file looks at it.
    DWORD written = 0;
    if (!LockWhole(file, LOCKFILE_EXCLUSIVE_LOCK) ||
        !::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        const int err = LastError();
        lock.reset();
        ::DeleteFileW(WidePath(path).c_str());
        ThrowCannotCreate(path, ErrorText(err));
    }
    return lock;
}

std::optional<TakenLock> TryLockFile(const std::string& path, std::size_t maxBytes)
{
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    auto lock = std::make_unique<WindowsFileLock>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        ::GetFileType(file) != FILE_TYPE_DISK)
        return std::nullopt;
    if (!LockWhole(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY)) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    DWORD got = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(maxBytes), &got, nullptr)) got = 0;
    bytes.resize(got);
    return TakenLock{std::move(lock), std::move(bytes)};
}

}  // namespace ql::platform

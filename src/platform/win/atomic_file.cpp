// Files written for the user on Windows: a temporary file beside the target,
// checked at every step, put in its place with ReplaceFileW (which keeps the
// old file's attributes and access rights) or MoveFileExW.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/temporary_name.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

struct AtomicFileWriter::State {
    std::string userPath;  // as given: the messages name it
    std::string target;  // the file replaced: where a link leads
    std::string temp;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool hadOld = false;

    // Removes the temporary file and throws the message for the user's file.
    [[noreturn]] void Fail(DWORD err)
    {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        if (!temp.empty()) ::DeleteFileW(WidePath(temp).c_str());
        temp.clear();
        ThrowCannotCreate(userPath, ErrorText(static_cast<int>(err)));
    }
};

namespace {

// The file a symbolic link (or any reparse point) leads to, as the system
// names it; the path itself for anything else. A link whose target is
// missing is replaced itself: the system cannot say where it would lead.
std::string FinalPath(const std::string& path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD n = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    }
    ::CloseHandle(file);
    if (n == 0 || n >= buffer.size()) return path;
    return Utf8(std::wstring_view(buffer.data(), n));  // "\\?\C:\..." : WidePath keeps it as it is
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.userPath = path;
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    s.target = FinalPath(path, attributes);
    const DWORD targetAttributes = s.target == path ? attributes : ::GetFileAttributesW(WidePath(s.target).c_str());
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
        if (targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            ThrowCannotCreateNotARegularFile(path);
        // A read-only file stays as it is, as an open for writing would leave it.
        if (targetAttributes & FILE_ATTRIBUTE_READONLY) ThrowCannotCreate(path, ErrorText(ERROR_ACCESS_DENIED));
        s.hadOld = true;
    } else {
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
            ThrowCannotCreate(path, ErrorText(static_cast<int>(err)));
    }
    DWORD err = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS); ++attempt) {
        const std::string temp = TemporaryPathBeside(s.target);
        // A new file only (CREATE_NEW), nobody else may open it meanwhile.
        s.handle = ::CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        if (s.handle != INVALID_HANDLE_VALUE) {
            s.temp = temp;
            return;
        }
        err = ::GetLastError();
    }
    s.Fail(err);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!state_) return;
    if (state_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(state_->handle);
    if (!state_->temp.empty()) ::DeleteFileW(WidePath(state_->temp).c_str());
}

void AtomicFileWriter::Write(std::string_view bytes)
{
    State& s = *state_;
    if (s.handle == INVALID_HANDLE_VALUE) ThrowCannotCreate(s.userPath, ErrorText(ERROR_INVALID_HANDLE));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(s.handle, bytes.data() + done, want, &written, nullptr)) s.Fail(::GetLastError());
        if (written == 0) s.Fail(ERROR_DISK_FULL);
        done += written;
    }
}

void AtomicFileWriter::Commit()
{
    State& s = *state_;
    if (s.handle == INVALID_HANDLE_VALUE) ThrowCannotCreate(s.userPath, ErrorText(ERROR_INVALID_HANDLE));
    // On disk before it takes the target's place.
    if (!::FlushFileBuffers(s.handle)) s.Fail(::GetLastError());
    const HANDLE handle = s.handle;
    s.handle = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) s.Fail(::GetLastError());

    const std::wstring target = WidePath(s.target), temp = WidePath(s.temp);
    if (s.hadOld) {
        // The old file's attributes, access rights and creation time go to the
        // new one; the old bytes are gone only once the new ones have its name.
        if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            s.temp.clear();
            return;
        }
        if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            // The old file is already gone and the new bytes are only in the
            // temporary file: put them in place, and keep them if that fails.
            if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                s.temp.clear();
                return;
            }
            const DWORD err = ::GetLastError();
            const std::string kept = s.temp;
            s.temp.clear();
            ThrowCannotCreate(s.userPath, ErrorText(static_cast<int>(err)) + " (" + kept + ")");
        }
        // Anything else left the old file as it was; a file system without
        // ReplaceFileW still renames.
    }
    if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        s.Fail(::GetLastError());
    s.temp.clear();
}

}  // namespace ql::platform

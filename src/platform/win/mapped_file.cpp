// Files mapped read-only on Windows. The file stays open, shared for reading
// (and renaming) only, as long as it is mapped: nobody can write it or cut it
// short meanwhile.

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/user_error.h"
#include "platform/file_mapping.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

struct FileMapping {
    HANDLE File;
    HANDLE Section;
};

LargeBuffer MapWholeFile(const std::string& path)
{
    // Others may read the file, not write it: a mapped file cannot change under
    // the text. They may rename it or put another in its place, which leaves
    // the mapped bytes as they are.
    const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Open for writing elsewhere: read as a copy, which says what it can.
        if (error == ERROR_SHARING_VIOLATION) return ReadWholeFileLarge(path);
        ThrowCannotOpen(path, ErrorText(static_cast<int>(error)));
    }
    struct Handles {
        HANDLE File;
        HANDLE Section = nullptr;
        ~Handles()
        {
            if (Section) ::CloseHandle(Section);
            if (File) ::CloseHandle(File);
        }
    } handles{file};
    // Only a regular file: a device or pipe is refused before a read waits on it.
    if (::GetFileType(file) != FILE_TYPE_DISK) ThrowNotARegularFile(path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) ThrowCannotOpen(path, ErrorText(LastError()));
    if (size.QuadPart == 0) return LargeBuffer();
    if (static_cast<std::uint64_t>(size.QuadPart) > SIZE_MAX) return ReadWholeFileLarge(path);

    handles.Section = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!handles.Section) return ReadWholeFileLarge(path);
    void* view = ::MapViewOfFile(handles.Section, FILE_MAP_READ, 0, 0, 0);
    if (!view) return ReadWholeFileLarge(path);

    LargeBuffer buffer;
    buffer.data_ = static_cast<char*>(view);
    buffer.size_ = buffer.capacity_ = buffer.reserved_ = static_cast<std::size_t>(size.QuadPart);
    try {
        buffer.mapping_ = new FileMapping{handles.File, handles.Section};
    } catch (...) {
        ::UnmapViewOfFile(view);
        buffer.data_ = nullptr;
        throw;
    }
    handles.File = handles.Section = nullptr;  // the buffer holds them now
    RunAfterMapHook(path);
    return buffer;
}

void LargeBuffer::ThrowIfFileChanged() const
{
    // Nobody could write the file while it was mapped.
}

void ReleaseFileMapping(FileMapping* mapping, char* data, std::size_t) noexcept
{
    ::UnmapViewOfFile(data);
    ::CloseHandle(mapping->Section);
    ::CloseHandle(mapping->File);
    delete mapping;
}

}  // namespace ql::platform

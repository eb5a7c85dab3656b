// Large buffers on Windows: VirtualAlloc, whose pages the system hands out as
// they are first touched; large pages when the process holds the privilege to
// lock memory (they need it on Windows). Small blocks come from malloc.

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "base/user_error.h"
#include "platform/file_mapping.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"

namespace ql::platform {

namespace {

constexpr std::size_t MappedFrom = std::size_t{1} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to)
{
    return (n + to - 1) / to * to;
}

// Large pages, or nullptr when the system refuses them (the usual case:
// SeLockMemoryPrivilege is rarely granted).
char* TryLargePages(std::size_t& length)
{
    const SIZE_T large = ::GetLargePageMinimum();
    if (large == 0) return nullptr;
    const std::size_t rounded = RoundUp(length, large);
    void* p = ::VirtualAlloc(nullptr, rounded, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE);
    if (!p) return nullptr;
    length = rounded;
    return static_cast<char*>(p);
}

}  // namespace

LargeBuffer::LargeBuffer(std::size_t capacity) : capacity_(capacity)
{
    if (capacity == 0) return;
    if (capacity < MappedFrom) {
        data_ = static_cast<char*>(std::malloc(capacity));
        if (!data_) throw std::bad_alloc();
        return;
    }
    std::size_t length = capacity;
    data_ = TryLargePages(length);
    if (!data_) {
        length = RoundUp(capacity, 64 * 1024);
        data_ = static_cast<char*>(::VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!data_) throw std::bad_alloc();
    }
    reserved_ = length;
}

void LargeBuffer::Release() noexcept
{
    if (!data_) return;
    if (mapping_) ReleaseFileMapping(mapping_, data_, reserved_);
    else if (reserved_) ::VirtualFree(data_, 0, MEM_RELEASE);
    else std::free(data_);
    data_ = nullptr;
    mapping_ = nullptr;
    size_ = capacity_ = reserved_ = populated_ = 0;
}

void LargeBuffer::Populate(std::size_t bytes)
{
    // The system hands out committed pages as they are first written, and
    // offers no way to take many at once short of writing them.
    populated_ = std::min(bytes, capacity_);
}

bool LargeBuffer::GrowKeepingPages(std::size_t capacity)
{
    // A block of VirtualAlloc cannot be extended; the caller builds a new one.
    return capacity <= capacity_;
}

LargeBuffer ReadWholeFileLarge(const std::string& path)
{
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowCannotOpen(path, ErrorText(LastError()));
    struct HandleCloser {
        HANDLE h;
        ~HandleCloser() { ::CloseHandle(h); }
    } closer{file};
    // Only a regular file, as ReadWholeFile reads it: a device or pipe is
    // refused before a read waits on it.
    if (::GetFileType(file) != FILE_TYPE_DISK) ThrowNotARegularFile(path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) ThrowCannotOpen(path, ErrorText(LastError()));

    // One byte more than the size: a file that grew since shows at once.
    LargeBuffer buffer(static_cast<std::size_t>(size.QuadPart) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == buffer.Capacity()) {
            LargeBuffer larger(buffer.Capacity() * 2);  // the file grew while it was read
            std::memcpy(larger.Data(), buffer.Data(), got);
            buffer = std::move(larger);
        }
        const std::size_t left = buffer.Capacity() - got;
        const DWORD want = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file, buffer.Data() + got, want, &read, nullptr)) ThrowCannotOpen(path, ErrorText(LastError()));
        if (read == 0) break;
        got += read;
    }
    buffer.SetSize(got);
    return buffer;
}

}  // namespace ql::platform

// Large buffers on POSIX systems: an anonymous mapping aligned to 2 MiB and
// marked for transparent huge pages (Linux); small blocks from malloc.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/posix/open_regular.h"

namespace ql::platform {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;
// Below this a block comes from malloc: a mapping of its own would waste most of a huge page.
constexpr std::size_t MappedFrom = std::size_t{1} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to)
{
    return (n + to - 1) / to * to;
}

// A mapping of `length` bytes (a multiple of HugePage) starting on a huge-page boundary.
char* MapAligned(std::size_t length)
{
    const std::size_t padded = length + HugePage;
    void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(start, HugePage);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + length;
    const std::uintptr_t end = start + padded;
    if (end > tail) ::munmap(reinterpret_cast<void*>(tail), end - tail);
#ifdef MADV_HUGEPAGE
    // Advice only: without huge pages the mapping still works with small ones.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<char*>(aligned);
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
    if (capacity > SIZE_MAX - 2 * HugePage) throw std::bad_alloc();
    reserved_ = RoundUp(capacity, HugePage);
    data_ = MapAligned(reserved_);
}

void LargeBuffer::Release() noexcept
{
    if (!data_) return;
    if (reserved_) ::munmap(data_, reserved_);
    else std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = reserved_ = 0;
}

LargeBuffer ReadWholeFileLarge(const std::string& path)
{
    // Only a regular file, as ReadWholeFile reads it.
    const int fd = OpenRegularFile(path);
    if (fd < 0) ThrowCannotOpen(path, ErrorText(errno));
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) ThrowCannotOpen(path, ErrorText(errno));

    // One byte more than the size: a file that grew since shows at once
    // without a second buffer for the usual case.
    LargeBuffer buffer(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == buffer.Capacity()) {
            // The file grew while it was read: move to a buffer twice the size.
            LargeBuffer larger(buffer.Capacity() * 2);
            std::memcpy(larger.Data(), buffer.Data(), got);
            buffer = std::move(larger);
        }
        const ssize_t r = ::read(fd, buffer.Data() + got, buffer.Capacity() - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            ThrowCannotOpen(path, ErrorText(errno));
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    buffer.SetSize(got);
    return buffer;
}

}  // namespace ql::platform

// Large buffers on POSIX systems: an anonymous mapping aligned to 2 MiB, with
// transparent huge pages (Linux) only where the kernel will not compact memory
// on the spot to find them; small blocks from malloc.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/file_mapping.h"
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

// What a large block asks of the kernel about huge pages.
enum class HugePageAdvice { None, Use, Avoid };

// Huge pages only where getting one never stalls: the kernel's `defrag`
// setting says whether a fault compacts memory on the spot to find one. With
// "madvise" (most distributions) a block advised to use them does: on a
// machine whose memory is full of file cache the first open then waits
// seconds. With "defer" or "never" a fault takes a huge page only when one is
// free; with "always" every fault may compact, and the block asks for none.
HugePageAdvice AdviceFromDefragSetting()
{
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/defrag");
    std::string setting;
    std::getline(in, setting);
    const auto open = setting.find('['), close = setting.find(']');
    if (open == std::string::npos || close == std::string::npos || close < open) return HugePageAdvice::None;
    const std::string chosen = setting.substr(open + 1, close - open - 1);
    if (chosen == "defer" || chosen == "never") return HugePageAdvice::Use;
    if (chosen == "always") return HugePageAdvice::Avoid;
    return HugePageAdvice::None;
}

HugePageAdvice Advice()
{
    static const HugePageAdvice advice = AdviceFromDefragSetting();
    return advice;
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
        // Advice only: the mapping works with either size of page.
#if defined(MADV_HUGEPAGE) && defined(MADV_NOHUGEPAGE)
    switch (Advice()) {
    case HugePageAdvice::Use: ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE); break;
    case HugePageAdvice::Avoid: ::madvise(reinterpret_cast<void*>(aligned), length, MADV_NOHUGEPAGE); break;
    case HugePageAdvice::None: break;
    }
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
    if (mapping_) ReleaseFileMapping(mapping_, data_, reserved_);
    else if (reserved_) ::munmap(data_, reserved_);
    else std::free(data_);
    data_ = nullptr;
    mapping_ = nullptr;
    size_ = capacity_ = reserved_ = populated_ = 0;
}

void LargeBuffer::Populate(std::size_t bytes)
{
    bytes = std::min(bytes, capacity_);
    if (!reserved_ || mapping_ || bytes <= populated_) return;
#ifdef MADV_POPULATE_WRITE
    // Whole pages from the first not yet present; the range stays inside the block.
    constexpr std::size_t Page = 4096;
    const std::size_t from = populated_ / Page * Page;
    const std::size_t to = std::min(RoundUp(bytes, Page), reserved_);
    if (::madvise(data_ + from, to - from, MADV_POPULATE_WRITE) != 0) {
        populated_ = capacity_;  // a kernel without it (before 5.14): the pages come as they are written
        return;
    }
#endif
    populated_ = bytes;
}

bool LargeBuffer::GrowKeepingPages(std::size_t capacity)
{
    if (capacity <= capacity_) return true;
#ifdef __linux__
    if (!reserved_ || mapping_ || capacity > SIZE_MAX - 2 * HugePage) return false;
    const std::size_t length = RoundUp(capacity, HugePage);
    if (length > reserved_) {
        // The pages move to a larger place where this one cannot grow; none is copied.
        void* moved = ::mremap(data_, reserved_, length, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) return false;
        data_ = static_cast<char*>(moved);
        reserved_ = length;
    }
    capacity_ = capacity;
    return true;
#else
    return false;
#endif
}

LargeBuffer ReadWholeFileLarge(const std::string& path)
{
    // Only a regular file, as ReadWholeFile reads it.
    const OpenedRegularFile file(path);
    const int fd = file.Fd();

    // One byte more than the size: a file that grew since shows at once
    // without a second buffer for the usual case.
    LargeBuffer buffer(static_cast<std::size_t>(file.Size()) + 1);
    buffer.Populate(buffer.Capacity());
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

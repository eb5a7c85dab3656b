// Files mapped read-only on POSIX systems. A file cut short while it is mapped
// makes every access past its new end raise SIGBUS, on whichever thread reads
// it. A handler of this process's own puts zero pages where the vanished part
// of a mapping of ours was and marks the mapping: the read goes on, and the
// open that reads it ends with a message rather than the process. A SIGBUS
// elsewhere goes where it went before.

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>

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

// Mappings the handler knows, without a lock: it may run on any thread at any
// moment. A slot is free while Begin is 0.
constexpr int SlotCount = 64;
struct Slot {
    std::atomic<bool> Taken{false};
    std::atomic<std::uintptr_t> Begin{0};
    std::atomic<std::uintptr_t> End{0};
    std::atomic<bool> Cut{false};  // the file was cut short under the mapping
};
Slot Slots[SlotCount];
std::uintptr_t PageSize = 4096;
struct sigaction Previous {};

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : Slots) {
        const std::uintptr_t begin = slot.Begin.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.End.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end) continue;
        // Zeros from the page that failed to the mapping's end, in place of the
        // file's vanished pages; the access then reads them.
        const std::uintptr_t page = address & ~(PageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        slot.Cut.store(true, std::memory_order_release);
        return;
    }
    // Not ours: as the process would have handled it without this handler.
    if ((Previous.sa_flags & SA_SIGINFO) && Previous.sa_sigaction) {
        Previous.sa_sigaction(signal, info, context);
    } else if (Previous.sa_handler != SIG_DFL && Previous.sa_handler != SIG_IGN && Previous.sa_handler) {
        Previous.sa_handler(signal);
    } else {
        // The system's own handling, which ends the process (a fault is never
        // ignored, whatever was set): the signal stays
        // blocked until this handler returns and then arrives again.
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        ::sigaction(SIGBUS, &standard, nullptr);
        ::raise(signal);
    }
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (const long size = ::sysconf(_SC_PAGESIZE); size > 0) PageSize = static_cast<std::uintptr_t>(size);
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &Previous);
    });
}

// A free slot for the mapping [begin, end); -1 when all are taken.
int TakeSlot(std::uintptr_t begin, std::uintptr_t end)
{
    for (int i = 0; i < SlotCount; ++i) {
        bool expected = false;
        if (!Slots[i].Taken.compare_exchange_strong(expected, true)) continue;
        Slots[i].Cut.store(false);
        Slots[i].End.store(end, std::memory_order_release);
        Slots[i].Begin.store(begin, std::memory_order_release);
        return i;
    }
    return -1;
}

void FreeSlot(int i)
{
    Slots[i].Begin.store(0, std::memory_order_release);
    Slots[i].End.store(0, std::memory_order_release);
    Slots[i].Taken.store(false, std::memory_order_release);
}

}  // namespace

struct FileMapping {
    std::string Path;
    int SlotIndex;
};

LargeBuffer MapWholeFile(const std::string& path)
{
    const OpenedRegularFile file(path);
    const int fd = file.Fd();
    const std::uint64_t size = file.Size();
    if (size == 0 || size > SIZE_MAX - PageSize) return ReadWholeFileLarge(path);

    InstallHandler();
    const auto length = static_cast<std::size_t>(size);
    // Read-only and private: nothing is written back, and the page tables are
    // filled at once from the file cache rather than one fault at a time.
    void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data == MAP_FAILED) return ReadWholeFileLarge(path);
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = begin + (length + PageSize - 1) / PageSize * PageSize;
    const int slot = TakeSlot(begin, end);
    if (slot < 0) {
        // Too many mappings at once to guard: a copy instead.
        ::munmap(data, length);
        return ReadWholeFileLarge(path);
    }

    LargeBuffer buffer;
    buffer.data_ = static_cast<char*>(data);
    buffer.size_ = buffer.capacity_ = buffer.reserved_ = length;
    try {
        buffer.mapping_ = new FileMapping{path, slot};
    } catch (...) {
        FreeSlot(slot);
        ::munmap(data, length);
        buffer.data_ = nullptr;
        throw;
    }
    RunAfterMapHook(path);
    return buffer;
}

void LargeBuffer::ThrowIfFileChanged() const
{
    if (mapping_ && Slots[mapping_->SlotIndex].Cut.load(std::memory_order_acquire)) ThrowFileChanged(mapping_->Path);
}

void ReleaseFileMapping(FileMapping* mapping, char* data, std::size_t length) noexcept
{
    FreeSlot(mapping->SlotIndex);
    ::munmap(data, length);
    delete mapping;
}

}  // namespace ql::platform

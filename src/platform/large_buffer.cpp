// What large buffers do alike on every system: moving, sizing, counting.
// Allocation and release are the system's own (posix/, win/).

#include <mutex>
#include <stdexcept>
#include <utility>

#include "base/user_error.h"
#include "platform/file_mapping.h"
#include "platform/platform.h"

namespace ql::platform {

LargeBuffer::~LargeBuffer()
{
    Release();
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)), reserved_(std::exchange(other.reserved_, 0)),
          populated_(std::exchange(other.populated_, 0)), mapping_(std::exchange(other.mapping_, nullptr))
{
}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        reserved_ = std::exchange(other.reserved_, 0);
        populated_ = std::exchange(other.populated_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
    }
    return *this;
}

void LargeBuffer::SetSize(std::size_t size)
{
    if (size > capacity_) throw std::length_error("LargeBuffer::SetSize beyond the capacity");
    size_ = size;
}

std::size_t LargeBuffer::ReservedBytes() const
{
    return reserved_ ? reserved_ : capacity_;
}

namespace {
std::mutex HookLock;
AfterMapHook Hook;
}  // namespace

void SetAfterMapHook(AfterMapHook hook)
{
    const std::lock_guard<std::mutex> lock(HookLock);
    Hook = std::move(hook);
}

void RunAfterMapHook(const std::string& path)
{
    AfterMapHook hook;
    {
        const std::lock_guard<std::mutex> lock(HookLock);
        hook = Hook;
    }
    if (hook) hook(path);
}

void ThrowFileChanged(const std::string& path)
{
    throw UserError("Die Datei \"" + path + "\" wurde beim Lesen verändert.");
}

}  // namespace ql::platform

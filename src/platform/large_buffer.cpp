// What large buffers do alike on every system: moving, sizing, counting.
// Allocation and release are the system's own (posix/, win/).

#include <stdexcept>
#include <utility>

#include "platform/platform.h"

namespace ql::platform {

LargeBuffer::~LargeBuffer()
{
    Release();
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      reserved_(std::exchange(other.reserved_, 0))
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

}  // namespace ql::platform

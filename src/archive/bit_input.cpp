#include "archive/bit_input.h"

#include <algorithm>

namespace ql::zip {

BitInput::BitInput(DeflateInput& input, std::size_t readSize)
        : input_(input), readSize_(std::max<std::size_t>(readSize, 1)), buffer_(readSize_ + 8)
{
    cursor_.next = cursor_.end = buffer_.data();
    ReadMore();
}

void BitInput::ReadMore()
{
    // The few bytes left move to the front; a read fills the rest.
    const auto left = static_cast<std::size_t>(cursor_.end - cursor_.next);
    taken_ += static_cast<std::uint64_t>(cursor_.next - buffer_.data());
    std::memmove(buffer_.data(), cursor_.next, left);
    cursor_.next = buffer_.data();
    cursor_.end = cursor_.next + left;
    if (ended_) return;
    const std::size_t got = input_.Read(buffer_.data() + left, readSize_);
    cursor_.end += std::min(got, readSize_);
    if (got < readSize_) {
        ended_ = true;
        endAt_ = taken_ + static_cast<std::uint64_t>(cursor_.end - buffer_.data());
    }
}

void BitInput::RefillSlowly()
{
    while (cursor_.count <= 56) {
        if (cursor_.next == cursor_.end) ReadMore();
        std::uint64_t byte = 0;
        if (cursor_.next < cursor_.end) {
            byte = *cursor_.next++;
        } else {
            ++taken_;  // past the end: a zero byte that is not there
        }
        cursor_.hold |= byte << cursor_.count;
        cursor_.count += 8;
    }
}

void BitInput::CopyBytes(char* to, std::size_t n)
{
    // The whole bytes held come first.
    while (n > 0 && cursor_.count >= 8) {
        *to++ = static_cast<char>(Take(8));
        --n;
    }
    if (n == 0) return;
    // None held now; the bits above them, read ahead, are bytes copied here.
    cursor_.hold = 0;
    while (n > 0) {
        if (cursor_.next == cursor_.end) ReadMore();
        const std::size_t here = std::min(n, static_cast<std::size_t>(cursor_.end - cursor_.next));
        if (here == 0) {
            // Past the end (the caller keeps within it): zeros.
            std::memset(to, 0, n);
            taken_ += n;
            return;
        }
        std::memcpy(to, cursor_.next, here);
        cursor_.next += here;
        to += here;
        n -= here;
    }
}

}  // namespace ql::zip

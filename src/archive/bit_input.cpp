#include "archive/bit_input.h"

#include <algorithm>

namespace ql::zip {

BitInput::BitInput(DeflateInput& input, std::size_t readSize)
        : input_(input), readSize_(std::max<std::size_t>(readSize, 1)), buffer_(readSize_ + 8)
{
    next_ = end_ = buffer_.data();
    ReadMore();
}

void BitInput::ReadMore()
{
    // The few bytes left move to the front; a read fills the rest.
    const auto left = static_cast<std::size_t>(end_ - next_);
    taken_ += static_cast<std::uint64_t>(next_ - buffer_.data());
    std::memmove(buffer_.data(), next_, left);
    next_ = buffer_.data();
    end_ = next_ + left;
    if (ended_) return;
    const std::size_t got = input_.Read(buffer_.data() + left, readSize_);
    end_ += std::min(got, readSize_);
    if (got < readSize_) {
        ended_ = true;
        endAt_ = taken_ + static_cast<std::uint64_t>(end_ - buffer_.data());
    }
}

void BitInput::RefillSlowly()
{
    while (count_ <= 56) {
        if (next_ == end_) ReadMore();
        std::uint64_t byte = 0;
        if (next_ < end_) {
            byte = *next_++;
        } else {
            ++taken_;  // past the end: a zero byte that is not there
        }
        hold_ |= byte << count_;
        count_ += 8;
    }
}

void BitInput::CopyBytes(char* to, std::size_t n)
{
    // The whole bytes held come first.
    while (n > 0 && count_ >= 8) {
        *to++ = static_cast<char>(Take(8));
        --n;
    }
    if (n == 0) return;
    // None held now; the bits above them, read ahead, are bytes copied here.
    hold_ = 0;
    while (n > 0) {
        if (next_ == end_) ReadMore();
        const std::size_t here = std::min(n, static_cast<std::size_t>(end_ - next_));
        if (here == 0) {
            // Past the end (the caller keeps within it): zeros.
            std::memset(to, 0, n);
            taken_ += n;
            return;
        }
        std::memcpy(to, next_, here);
        next_ += here;
        to += here;
        n -= here;
    }
}

}  // namespace ql::zip

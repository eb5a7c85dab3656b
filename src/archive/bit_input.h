#pragma once
// A deflate stream's bits, least significant first, read through a
// DeflateInput in reads of a fixed size. Past the end of the input the bits
// read as zeros and Position() goes on counting, so the decoder never reads
// outside its buffer and finds out from the position where the input ended.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/deflate_input.h"

namespace ql::zip {

class BitInput {
public:
    // `readSize`: the bytes asked for in each read (at least 1). Makes the
    // first read at once, as zlib's caller does before its first call.
    BitInput(DeflateInput& input, std::size_t readSize);

    // At least 56 bits held after this; Peek() shows them.
    void Refill()
    {
        if (end_ - next_ >= 8) {
            std::uint64_t word;
            std::memcpy(&word, next_, 8);
            if constexpr (std::endian::native == std::endian::big) word = SwapBytes(word);
            hold_ |= word << count_;
            next_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            RefillSlowly();
        }
    }
    std::uint64_t Peek() const { return hold_; }
    // Drops `n` bits of those held (n <= the bits held).
    void Drop(unsigned n)
    {
        hold_ >>= n;
        count_ -= n;
    }
    // The next `n` bits (n <= the bits held, at most 32), dropped.
    std::uint32_t Take(unsigned n)
    {
        const auto value = static_cast<std::uint32_t>(hold_ & ((std::uint64_t{1} << n) - 1));
        Drop(n);
        return value;
    }

    // Makes the next read now if every byte read so far has been taken into
    // the hold, as a call into zlib does when it starts with no input left.
    void ReadIfAllTaken()
    {
        if (next_ == end_) ReadMore();
    }

    // Bits taken so far from the start of the stream, those past its end included.
    std::uint64_t Position() const
    {
        return 8 * (taken_ + static_cast<std::uint64_t>(next_ - buffer_.data())) - count_;
    }
    // The stream's length in bytes, once the input ended (and far beyond it before).
    std::uint64_t KnownEnd() const { return ended_ ? endAt_ : UINT64_MAX; }

    // Drops the bits up to the next byte boundary.
    void AlignToByte() { Drop(count_ & 7); }
    // Copies `n` whole bytes (aligned) to `to`; the caller keeps within the
    // input's end.
    void CopyBytes(char* to, std::size_t n);

private:
    static std::uint64_t SwapBytes(std::uint64_t v)
    {
        std::uint64_t r = 0;
        for (int i = 0; i < 8; ++i, v >>= 8) r = (r << 8) | (v & 0xFF);
        return r;
    }
    void RefillSlowly();
    // Reads the next piece of input behind the bytes not yet taken into the hold.
    void ReadMore();

    DeflateInput& input_;
    std::size_t readSize_;
    std::vector<unsigned char> buffer_;
    const unsigned char* next_;  // the next byte to take into the hold
    const unsigned char* end_;  // behind the last byte read
    std::uint64_t taken_ = 0;  // bytes taken before the buffer's start (zeros past the end included)
    std::uint64_t hold_ = 0;  // above the bits held: the bits that follow, or zeros
    unsigned count_ = 0;  // bits held
    bool ended_ = false;
    std::uint64_t endAt_ = 0;  // the input's length once ended
};

}  // namespace ql::zip

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

// The reading position's busy part, which a decoding loop keeps in its own
// variables (BitInput::Lend and Return around anything else that reads).
struct BitCursor {
    std::uint64_t hold;  // above the bits held: the bits that follow, or zeros
    unsigned count;  // bits held
    const unsigned char* next;  // the next byte to take into the hold
    const unsigned char* end;  // behind the last byte read

    // At least 56 bits held after this; false (nothing done) when fewer
    // than 8 bytes are left to read from: BitInput::Refill then.
    bool RefillQuickly()
    {
        if (end - next < 8) return false;
        std::uint64_t word;
        std::memcpy(&word, next, 8);
        if constexpr (std::endian::native == std::endian::big) word = SwapBytes(word);
        hold |= word << count;
        next += (63 - count) >> 3;
        count |= 56;
        return true;
    }
    // Drops `n` bits of those held (n <= the bits held).
    void Drop(unsigned n)
    {
        hold >>= n;
        count -= n;
    }
    // The next `n` bits (n <= the bits held, at most 32), dropped.
    std::uint32_t Take(unsigned n)
    {
        const auto value = static_cast<std::uint32_t>(hold & ((std::uint64_t{1} << n) - 1));
        Drop(n);
        return value;
    }

    static std::uint64_t SwapBytes(std::uint64_t v)
    {
        std::uint64_t r = 0;
        for (int i = 0; i < 8; ++i, v >>= 8) r = (r << 8) | (v & 0xFF);
        return r;
    }
};

class BitInput {
public:
    // `readSize`: the bytes asked for in each read (at least 1). Makes the
    // first read at once, as zlib's caller does before its first call.
    BitInput(DeflateInput& input, std::size_t readSize);

    // At least 56 bits held after this; Peek() shows them.
    void Refill()
    {
        if (!cursor_.RefillQuickly()) RefillSlowly();
    }
    std::uint64_t Peek() const { return cursor_.hold; }
    void Drop(unsigned n) { cursor_.Drop(n); }
    std::uint32_t Take(unsigned n) { return cursor_.Take(n); }

    // The busy part of the position, lent to a decoding loop, and taken back.
    BitCursor Lend() const { return cursor_; }
    void Return(const BitCursor& cursor) { cursor_ = cursor; }
    // Position() of a lent cursor is PositionOf(cursor, CurrentOrigin()),
    // the origin staying as it is until the cursor is returned.
    struct Origin {
        std::uint64_t before;  // bytes taken before `start`
        const unsigned char* start;
    };
    Origin CurrentOrigin() const { return {taken_, buffer_.data()}; }
    static std::uint64_t PositionOf(const BitCursor& cursor, const Origin& origin)
    {
        return 8 * (origin.before + static_cast<std::uint64_t>(cursor.next - origin.start)) - cursor.count;
    }

    // Makes the next read now if every byte read so far has been taken into
    // the hold, as a call into zlib does when it starts with no input left.
    void ReadIfAllTaken()
    {
        if (cursor_.next == cursor_.end) ReadMore();
    }

    // Bits taken so far from the start of the stream, those past its end included.
    std::uint64_t Position() const { return PositionOf(cursor_, CurrentOrigin()); }
    // The stream's length in bytes, once the input ended (and far beyond it before).
    std::uint64_t KnownEnd() const { return ended_ ? endAt_ : UINT64_MAX; }

    // Drops the bits up to the next byte boundary.
    void AlignToByte() { Drop(cursor_.count & 7); }
    // Copies `n` whole bytes (aligned) to `to`; the caller keeps within the
    // input's end.
    void CopyBytes(char* to, std::size_t n);

private:
    void RefillSlowly();
    // Reads the next piece of input behind the bytes not yet taken into the hold.
    void ReadMore();

    DeflateInput& input_;
    std::size_t readSize_;
    std::vector<unsigned char> buffer_;
    BitCursor cursor_{};
    std::uint64_t taken_ = 0;  // bytes taken before the buffer's start (zeros past the end included)
    bool ended_ = false;
    std::uint64_t endAt_ = 0;  // the input's length once ended
};

}  // namespace ql::zip

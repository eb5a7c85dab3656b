#include "base/repaired_size.h"

#include <bit>
#include <cstring>

#include "base/bit_count.h"
#include "base/sse2.h"
#include "base/utf8.h"

namespace ql {

namespace {

// A sequence starting this far or more before the end is decided without
// looking past the end: no valid sequence is longer.
constexpr std::size_t LongestSequence = 4;

// Steps over the sequence at i of text[0, n): a valid one whole, a stray
// byte alone (counted); returns where the next one starts.
std::size_t StepOver(const char* text, std::size_t i, std::size_t n, std::uint64_t& stray)
{
    const std::size_t length = ValidSequenceLength(text + i, text + n);
    if (length > 0) return i + length;
    ++stray;
    return i + 1;
}

// Decides the sequences starting in data[i, n - LongestSequence], counting stray
// bytes; returns where the first undecided sequence starts (at most n). A
// block without any byte that may start a multi-byte sequence (0xC2 to 0xF4)
// is decided at once: its ASCII bytes are valid, every other byte is stray.
std::size_t Decide(const unsigned char* data, std::size_t i, std::size_t n, std::uint64_t& stray)
{
    const char* const text = reinterpret_cast<const char*>(data);
#if defined(QL_SSE2)
    const __m128i leadBase = _mm_set1_epi8(static_cast<char>(0xC2));
    const __m128i leadSpan = _mm_set1_epi8(static_cast<char>(0xF4 - 0xC2));
    while (i + 16 <= n) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
        if (high == 0) {
            i += 16;
            continue;
        }
        // Lead bytes: chunk - 0xC2 at most 0xF4 - 0xC2, unsigned.
        const __m128i shifted = _mm_sub_epi8(chunk, leadBase);
        const auto leads =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, leadSpan), shifted)));
        if (leads == 0) {
            stray += CountBits(high);
            i += 16;
            continue;
        }
        const int first = std::countr_zero(leads);
        stray += CountBits(high & ((1u << first) - 1));
        i += static_cast<std::size_t>(first);
        if (i + LongestSequence > n) return i;
        i = StepOver(text, i, n, stray);
    }
#endif
    while (i + LongestSequence <= n) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        i = StepOver(text, i, n, stray);
    }
    return i;
}

}  // namespace

void RepairedSizeCounter::Add(const char* data, std::size_t n)
{
    bytes_ += n;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    if (heldCount_ > 0) {
        // The held bytes with the start of this piece: enough to decide every
        // sequence that starts among them, unless the piece is very short.
        unsigned char joined[3 + LongestSequence];
        std::memcpy(joined, held_, heldCount_);
        const std::size_t taken = n < LongestSequence ? n : LongestSequence;
        if (taken > 0) std::memcpy(joined + heldCount_, bytes, taken);
        const std::size_t length = heldCount_ + taken;
        const std::size_t at = Decide(joined, 0, length, stray_);
        if (at < heldCount_) {
            // Still undecided: the piece was short and is held whole with them.
            heldCount_ = length - at;
            std::memmove(held_, joined + at, heldCount_);
            return;
        }
        i = at - heldCount_;
        heldCount_ = 0;
    }
    i = Decide(bytes, i, n, stray_);
    if (i < n) {
        heldCount_ = n - i;
        std::memcpy(held_, bytes + i, heldCount_);
    }
}

std::uint64_t RepairedSizeCounter::Total() const
{
    // The held bytes end the text: a sequence they begin is cut short.
    std::uint64_t stray = stray_;
    const auto* held = reinterpret_cast<const char*>(held_);
    for (std::size_t i = 0; i < heldCount_;) i = StepOver(held, i, heldCount_, stray);
    return bytes_ + 2 * stray;
}

}  // namespace ql

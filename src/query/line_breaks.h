#pragma once
// The one pass over a query's text: finds every line break and every "<",
// and checks on the way that the text is UTF-8. Sixty-four bytes at a time where the processor
// has SSE2; a byte at or above 0x80 (rare in a pocket query) is checked by
// itself.

#include <cstddef>
#include <cstdint>

#include <bit>

#include "base/sse2.h"
#include "base/utf8.h"

namespace ql {

// Calls onBreak(position) for every CR and LF at or after `from` and
// onTag(position) for every "<", all in the order of the text. Returns n when data[from, n) is well-formed UTF-8; otherwise the offset of
// the first byte outside a valid sequence, and the breaks reported so far are
// incomplete (the caller repairs the text and splits it again).
template <class OnBreak, class OnTag>
std::size_t SplitCheckingUtf8(const char* data, std::size_t from, std::size_t n, OnBreak&& onBreak, OnTag&& onTag)
{
    const char* const end = data + n;
    std::size_t i = from;
    std::size_t checkedTo = from;  // bytes before this belong to sequences found valid
#if defined(QL_SSE2)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i lt = _mm_set1_epi8('<');
    for (; i + 64 <= n; i += 64) {
        std::uint64_t events = 0, high = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16 * k));
            const auto hi = static_cast<std::uint32_t>(_mm_movemask_epi8(chunk));
            const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)),
                                               _mm_cmpeq_epi8(chunk, lt));
            high |= std::uint64_t{hi} << (16 * k);
            events |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(found))} << (16 * k);
        }
        // A sequence's continuation bytes lie before checkedTo and are skipped.
        for (std::uint64_t h = high; h; h &= h - 1) {
            const std::size_t p = i + static_cast<std::size_t>(std::countr_zero(h));
            if (p < checkedTo) continue;
            const std::size_t length = ValidSequenceLength(data + p, end);
            if (length == 0) return p;
            checkedTo = p + length;
        }
        for (; events; events &= events - 1) {
            const std::size_t p = i + static_cast<std::size_t>(std::countr_zero(events));
            if (data[p] == '<') onTag(p);
            else onBreak(p);
        }
    }
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x80) {
            if (i < checkedTo) continue;
            const std::size_t length = ValidSequenceLength(data + i, end);
            if (length == 0) return i;
            checkedTo = i + length;
        } else if (c == '\r' || c == '\n') {
            onBreak(i);
        } else if (c == '<') {
            onTag(i);
        }
    }
    return n;
}

}  // namespace ql

#pragma once
// The one pass over a query's text: finds every line break and every "<"
// the scan may look for, and checks on the way that the text is UTF-8.
// Sixty-four bytes at a time where the processor has SSE2; a byte at or above
// 0x80 (rare in a pocket query) is checked by itself.

#include <cstddef>
#include <cstdint>

#include <bit>

#include "base/sse2.h"
#include "base/utf8.h"
#include "query/line_kinds.h"

namespace ql {

// The first byte of a valid UTF-8 sequence at p, before `end`: its length, or
// 0 when none starts there. The common two-byte letters are answered here.
inline std::size_t SequenceLengthAt(const char* p, const char* end)
{
    const auto b0 = static_cast<unsigned char>(p[0]);
    if (b0 >= 0xC2 && b0 <= 0xDF && end - p >= 2 && (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80) return 2;
    return ValidSequenceLength(p, end);
}

// Calls onBreak(position) once for every line break at or after `from`: at
// the LF of an LF or a CR LF pair, at the CR of a CR alone. Calls
// onTag(position) for every "<" that may start one of the scan's texts
// (line_kinds.h): every "<" where the bytes are looked at one by one, and in
// the blocks those followed by "w", "g" or "/w". All in the order of the text.
// Returns n when data[from, n) is well-formed UTF-8; otherwise the offset of
// the first byte outside a valid sequence, and the breaks reported so far are
// incomplete (the caller repairs the text and splits it again).
template <class OnBreak, class OnTag>
std::size_t SplitCheckingUtf8(const char* data, std::size_t from, std::size_t n, OnBreak&& onBreak, OnTag&& onTag)
{
    const char* const end = data + n;
    std::size_t i = from;
    std::size_t checkedTo = from;  // bytes before this belong to sequences found valid
#if defined(QL_SSE2)
    static_assert(WptOpenTag[1] == 'w' && WptCloseTag[1] == '/' && WptCloseTag[2] == 'w' &&
                  GroundspeakPrefix[1] == 'g');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i w = _mm_set1_epi8('w');
    const __m128i g = _mm_set1_epi8('g');
    const __m128i slash = _mm_set1_epi8('/');
    // Each block also reads the two bytes after it.
    for (; i + 66 <= n; i += 64) {
        std::uint64_t events = 0, high = 0;
        for (int k = 0; k < 4; ++k) {
            const char* const at = data + i + 16 * k;
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2));
            const __m128i crAlone = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(chunk, cr));
            const __m128i tagNext = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(next, w), _mm_cmpeq_epi8(next, g)),
                                                 _mm_and_si128(_mm_cmpeq_epi8(next, slash), _mm_cmpeq_epi8(after, w)));
            const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), crAlone),
                                               _mm_and_si128(_mm_cmpeq_epi8(chunk, lt), tagNext));
            high |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(chunk))} << (16 * k);
            events |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(found))} << (16 * k);
        }
        // A sequence's continuation bytes lie before checkedTo and are skipped.
        for (std::uint64_t h = high; h; h &= h - 1) {
            const std::size_t p = i + static_cast<std::size_t>(std::countr_zero(h));
            if (p < checkedTo) continue;
            const std::size_t length = SequenceLengthAt(data + p, end);
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
            const std::size_t length = SequenceLengthAt(data + i, end);
            if (length == 0) return i;
            checkedTo = i + length;
        } else if (c == '\n' || (c == '\r' && (i + 1 == n || data[i + 1] != '\n'))) {
            onBreak(i);
        } else if (c == '<') {
            onTag(i);
        }
    }
    return n;
}

}  // namespace ql

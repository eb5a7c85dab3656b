#include "base/line_count.h"

#include "base/bit_count.h"
#include "base/sse2.h"

namespace ql {

std::uint64_t CountLineBreaks(const char* p, const char* end)
{
    std::uint64_t breaks = 0;
#if defined(QL_SSE2)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 17; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i lfs = _mm_cmpeq_epi8(chunk, lf);
        const __m128i lonelyCrs = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(chunk, cr));
        // No byte is both: one mask counts them.
        breaks += CountBits(static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(lfs, lonelyCrs))));
    }
#endif
    for (; p < end; ++p) breaks += *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
    return breaks;
}

}  // namespace ql

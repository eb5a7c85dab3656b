#include "query/line_events.h"

#include "base/sse2.h"
#include "query/line_kinds.h"

// Not on Windows: GCC there does not align the stack for the wide registers
// it may spill (GCC bug 54412), so those builds keep SSE2.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define QL_WIDE_UNITS 1
#include <immintrin.h>
#endif

namespace ql {

namespace {

static_assert(WptOpenTag.substr(0, 3) == "<wp" && WptCloseTag.substr(0, 3) == "</w" &&
              GroundspeakPrefix.size() == EventReadsAfter && GroundspeakPrefix[1] == 'g');
static_assert(DateOpenTag[EventReadsAfter] == 'd' && CountryLineText[EventReadsAfter] == 'c' &&
              StateLineText[EventReadsAfter] == 's');

// A byte at a time: the reference the vector units are held against.
void ClassifyPlain(const char* at, std::size_t blocks, BlockEvents* out)
{
    for (std::size_t b = 0; b < blocks; ++b, at += EventBlockBytes) {
        BlockEvents e{};
        for (std::size_t k = 0; k < EventBlockBytes; ++k) {
            const char* p = at + k;
            const std::uint64_t bit = std::uint64_t{1} << k;
            if (p[0] == '\n' || (p[0] == '\r' && p[1] != '\n')) e.Breaks |= bit;
            if (p[0] == '\n' && p[-1] == '\r') e.CrLf |= bit;
            if (p[0] == '<' && ((p[1] == 'w' && p[2] == 'p') || (p[1] == '/' && p[2] == 'w') ||
                                (p[1] == 'g' && (p[EventReadsAfter] == 'd' || p[EventReadsAfter] == 'c' ||
                                                 p[EventReadsAfter] == 's'))))
                e.Tags |= bit;
            const auto byte = static_cast<unsigned char>(p[0]);
            if (byte >= 0x80) e.High |= bit;
            if (byte >= 0x80 && byte <= 0xBF) e.Continuations |= bit;
            if (byte >= 0xC2 && byte <= 0xDF) e.TwoByteLeads |= bit;
        }
        out[b] = e;
    }
}

#if defined(QL_SSE2)
void ClassifySse2(const char* at, std::size_t blocks, BlockEvents* out)
{
    const auto load = [](const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const auto is = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    for (std::size_t b = 0; b < blocks; ++b, at += EventBlockBytes) {
        BlockEvents e{};
        for (int k = 0; k < 4; ++k) {
            const char* p = at + 16 * k;
            const __m128i here = load(p), before = load(p - 1), next = load(p + 1), after = load(p + 2);
            const __m128i far = load(p + EventReadsAfter);
            const __m128i lf = is(here, '\n');
            const __m128i breaks = _mm_or_si128(lf, _mm_andnot_si128(is(next, '\n'), is(here, '\r')));
            const __m128i crLf = _mm_and_si128(lf, is(before, '\r'));
            const __m128i groundspeak =
                _mm_and_si128(is(next, 'g'), _mm_or_si128(_mm_or_si128(is(far, 'd'), is(far, 'c')), is(far, 's')));
            const __m128i wpt = _mm_or_si128(_mm_and_si128(is(next, 'w'), is(after, 'p')),
                                             _mm_and_si128(is(next, '/'), is(after, 'w')));
            const __m128i tags = _mm_and_si128(is(here, '<'), _mm_or_si128(wpt, groundspeak));
            const auto bits = [k](__m128i v) {
                return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(v))} << (16 * k);
            };
            e.Breaks |= bits(breaks);
            e.CrLf |= bits(crLf);
            e.Tags |= bits(tags);
            e.High |= bits(here);
            // Signed, 0x80-0xBF are -128 to -65 and 0xC2-0xDF are -62 to -33.
            e.Continuations |= bits(_mm_cmplt_epi8(here, _mm_set1_epi8(-64)));
            e.TwoByteLeads |=
                bits(_mm_and_si128(_mm_cmpgt_epi8(here, _mm_set1_epi8(-63)), _mm_cmplt_epi8(here, _mm_set1_epi8(-32))));
        }
        out[b] = e;
    }
}
#endif

#if defined(QL_WIDE_UNITS)
#define QL_AVX2 __attribute__((target("avx2")))
#define QL_AVX512 __attribute__((target("avx512bw")))

QL_AVX2 inline __m256i Load32(const char* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
QL_AVX2 inline __m256i Is32(__m256i v, char c)
{
    return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
}
QL_AVX2 inline std::uint64_t Bits32(__m256i v)
{
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

QL_AVX2 void ClassifyAvx2(const char* at, std::size_t blocks, BlockEvents* out)
{
    for (std::size_t b = 0; b < blocks; ++b, at += EventBlockBytes) {
        BlockEvents e{};
        for (int k = 0; k < 2; ++k) {
            const char* p = at + 32 * k;
            const __m256i here = Load32(p), before = Load32(p - 1), next = Load32(p + 1), after = Load32(p + 2);
            const __m256i far = Load32(p + EventReadsAfter);
            const __m256i lf = Is32(here, '\n');
            const __m256i breaks = _mm256_or_si256(lf, _mm256_andnot_si256(Is32(next, '\n'), Is32(here, '\r')));
            const __m256i crLf = _mm256_and_si256(lf, Is32(before, '\r'));
            const __m256i groundspeak = _mm256_and_si256(
                Is32(next, 'g'), _mm256_or_si256(_mm256_or_si256(Is32(far, 'd'), Is32(far, 'c')), Is32(far, 's')));
            const __m256i wpt = _mm256_or_si256(_mm256_and_si256(Is32(next, 'w'), Is32(after, 'p')),
                                                _mm256_and_si256(Is32(next, '/'), Is32(after, 'w')));
            const __m256i tags = _mm256_and_si256(Is32(here, '<'), _mm256_or_si256(wpt, groundspeak));
            const int shift = 32 * k;
            e.Breaks |= Bits32(breaks) << shift;
            e.CrLf |= Bits32(crLf) << shift;
            e.Tags |= Bits32(tags) << shift;
            e.High |= Bits32(here) << shift;
            e.Continuations |= Bits32(_mm256_cmpgt_epi8(_mm256_set1_epi8(-64), here)) << shift;
            e.TwoByteLeads |= Bits32(_mm256_and_si256(_mm256_cmpgt_epi8(here, _mm256_set1_epi8(-63)),
                                                      _mm256_cmpgt_epi8(_mm256_set1_epi8(-32), here)))
                              << shift;
        }
        out[b] = e;
    }
}

QL_AVX512 inline __m512i Load64(const char* p)
{
    return _mm512_loadu_si512(p);
}
QL_AVX512 inline std::uint64_t Is64(__m512i v, char c)
{
    return _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(c));
}

QL_AVX512 void ClassifyAvx512(const char* at, std::size_t blocks, BlockEvents* out)
{
    for (std::size_t b = 0; b < blocks; ++b, at += EventBlockBytes) {
        const __m512i here = Load64(at), before = Load64(at - 1), next = Load64(at + 1), after = Load64(at + 2);
        const __m512i far = Load64(at + EventReadsAfter);
        const std::uint64_t lf = Is64(here, '\n');
        BlockEvents e;
        e.Breaks = lf | (Is64(here, '\r') & ~Is64(next, '\n'));
        e.CrLf = lf & Is64(before, '\r');
        e.Tags = Is64(here, '<') & ((Is64(next, 'w') & Is64(after, 'p')) | (Is64(next, '/') & Is64(after, 'w')) |
                                    (Is64(next, 'g') & (Is64(far, 'd') | Is64(far, 'c') | Is64(far, 's'))));
        e.High = _mm512_movepi8_mask(here);
        e.Continuations = _mm512_cmplt_epi8_mask(here, _mm512_set1_epi8(-64));
        e.TwoByteLeads =
            _mm512_cmpgt_epi8_mask(here, _mm512_set1_epi8(-63)) & _mm512_cmplt_epi8_mask(here, _mm512_set1_epi8(-32));
        out[b] = e;
    }
}
#endif

}  // namespace

std::vector<ClassifyBlocks> RunnableClassifiers()
{
    std::vector<ClassifyBlocks> units{ClassifyPlain};
#if defined(QL_SSE2)
    units.push_back(ClassifySse2);
#endif
#if defined(QL_WIDE_UNITS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) units.push_back(ClassifyAvx2);
    if (__builtin_cpu_supports("avx512bw")) units.push_back(ClassifyAvx512);
#endif
    return units;
}

ClassifyBlocks ChosenClassifier()
{
    static const ClassifyBlocks chosen = RunnableClassifiers().back();  // the widest
    return chosen;
}

}  // namespace ql

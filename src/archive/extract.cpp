#include "archive/extract.h"

#include <algorithm>
#include <cstdint>
#include <bit>
#include <cstring>

// SSE2: GCC and Clang say so; MSVC has it on every x64 target.
#if defined(__SSE2__) || defined(_M_X64)
#define QL_SSE2 1
#include <emmintrin.h>
#endif

#include "archive/zip_reader.h"
#include "base/query_limits.h"

namespace ql {

namespace {

// The line breaks in [p, end): every LF, and every CR that no LF follows (a
// CR at `end` counts). Sixteen bytes at a time where the processor has SSE2.
std::uint64_t CountBreaks(const char* p, const char* end)
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
        breaks += static_cast<unsigned>(std::popcount(static_cast<unsigned>(_mm_movemask_epi8(lfs)))) +
                  static_cast<unsigned>(std::popcount(static_cast<unsigned>(_mm_movemask_epi8(lonelyCrs))));
    }
#endif
    for (; p < end; ++p) breaks += *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
    return breaks;
}

// Passes the reader's progress on and counts the line breaks of the text made
// so far: an entry with more lines than a query of its size may have stops
// while it inflates, not after a gigabyte of line breaks.
class LineCountingProgress : public ExtractProgress {
public:
    LineCountingProgress(ExtractProgress& sink, const platform::LargeBuffer& text, std::uint64_t declared)
        : sink_(sink), text_(text), declared_(declared)
    {
    }

    void OnFileProgress(double percent) override
    {
        CountNewBreaks();
        sink_.OnFileProgress(percent);
    }
    void OnOverallProgress(double percent) override { sink_.OnOverallProgress(percent); }

private:
    void CountNewBreaks()
    {
        const std::size_t end = text_.Size();
        if (end <= counted_) return;
        // A CR LF pair counts once: its LF is counted, a CR only when no LF follows
        // (a pair split between two pieces counts twice, which changes nothing here).
        breaks_ += CountBreaks(text_.Data() + counted_, text_.Data() + end);
        counted_ = end;
        if (breaks_ > MaxQueryLines(declared_) + 1) ThrowTooManyLines(declared_);
    }

    ExtractProgress& sink_;
    const platform::LargeBuffer& text_;
    std::uint64_t declared_;
    std::size_t counted_ = 0;
    std::uint64_t breaks_ = 0;
};

}  // namespace

platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress)
{
    zip::ZipReader archiver;  // closed on every path when it goes out of scope
    archiver.Open(archivePath);
    platform::LargeBuffer buffer;
    const zip::ZipEntry* entry = archiver.Find("*.gpx");
    LineCountingProgress counting(progress, buffer, entry ? entry->UncompressedSize : 0);
    archiver.ExtractToStream("*.gpx", buffer, counting);
    archiver.Close();
    return buffer;
}

}  // namespace ql

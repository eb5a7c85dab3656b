#include "core/query_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

// SSE2: GCC and Clang say so; MSVC has it on every x64 target.
#if defined(__SSE2__) || defined(_M_X64)
#define QL_SSE2 1
#include <emmintrin.h>
#endif

#include "base/query_limits.h"
#include "base/user_error.h"
#include "core/text_decode.h"

namespace ql {

namespace {

// Calls onBreak(position) for every CR and LF at or after `from`, in order.
template <class OnBreak>
void ForEachBreakByte(const char* data, std::size_t from, std::size_t n, OnBreak&& onBreak)
{
    std::size_t i = from;
#if defined(QL_SSE2)
    // Sixteen bytes at a time: a mask of the CR and LF among them.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        while (mask) {
            onBreak(i + static_cast<std::size_t>(std::countr_zero(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < n; ++i)
        if (data[i] == '\r' || data[i] == '\n') onBreak(i);
}

}  // namespace

QueryText QueryText::FromBytes(std::string bytes)
{
    if (bytes.size() > MaxQueryBytes) ThrowQueryTooLarge(bytes.size());
    QueryText q;
    q.buffer_ = std::move(bytes);
    RepairUtf8(q.buffer_);  // decoded as UTF-8: a stray byte reads as U+FFFD
    if (q.buffer_.size() > MaxQueryBytes) ThrowQueryTooLarge(q.buffer_.size());
    const char* data = q.buffer_.data();
    const std::size_t n = q.buffer_.size();
    std::size_t start = 0;
    if (n >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
        static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF)
        start = 3;

    // About one line per sixty bytes in a pocket query; the table grows past that if needed.
    // The table ends as one entry per line and one more: a further entry
    // beyond that would be a line over the limit.
    const std::uint64_t maxEntries = MaxQueryLines(n) + 1;
    q.starts_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>((n - start) / 48 + 2, maxEntries + 1)));
    if (start < n) q.starts_.push_back(static_cast<std::uint32_t>(start));
    ForEachBreakByte(data, start, n, [&](std::size_t i) {
        // The LF of a CR LF pair ends nothing new: its CR already did.
        if (data[i] == '\n' && i > 0 && data[i - 1] == '\r') {
            q.starts_.back() = static_cast<std::uint32_t>(i + 1);
            return;
        }
        if (q.starts_.size() >= maxEntries) [[unlikely]]
            ThrowTooManyLines(n);
        q.starts_.push_back(static_cast<std::uint32_t>(i + 1));
    });
    // The last entry is where a line after the final break would start: a
    // break at the very end adds no line, and text after the last break is one.
    if (q.starts_.empty()) return q;
    if (q.starts_.back() < n) {
        q.lastEnd_ = n;
        if (q.starts_.size() >= maxEntries) ThrowTooManyLines(n);
        q.starts_.push_back(static_cast<std::uint32_t>(n + 1));
    } else {
        q.lastEnd_ = n - BreakLengthBefore(data, n);
    }
    // A table much larger than needed gives its room back (a copy of the table).
    if (q.starts_.capacity() - q.starts_.size() > q.starts_.size() / 8) q.starts_.shrink_to_fit();
    return q;
}

void QueryText::ThrowIndexError(long long index)
{
    ql::ThrowIndexError(index);
}

std::size_t QueryText::memoryBytes() const
{
    return buffer_.capacity() + starts_.capacity() * sizeof(std::uint32_t);
}

}  // namespace ql

#pragma once
// The loaded query: one buffer holding the decoded file, and the lines as views
// into it. Every line access is index-checked. The text, its line table (four
// bytes a line) and the scan's line kinds (one byte a line) live in large
// buffers, filled by one pass over the text (over each half at once for a
// large text, each into a region of the tables of its own); the limits in
// base/query_limits.h keep the tables bounded by the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/prefetch.h"
#include "platform/platform.h"
#include "query/line_kinds.h"

namespace ql {

// Writes each byte of the buffer's text outside a valid UTF-8 sequence as
// U+FFFD; the first `invalid` bytes are valid. A repaired size beyond `limit`
// throws the message of the query's size limit before anything is built. A
// buffer of this process's own (read or inflated) is repaired in place where
// its block can grow; a mapped file, or a block that cannot grow, is replaced
// by a copy of the repaired size.
void RepairBuffer(platform::LargeBuffer& buffer, std::size_t invalid, std::uint64_t limit);

class QueryText {
public:
    QueryText() = default;

    // Takes the file's bytes, skips a leading UTF-8 byte-order mark and splits at
    // CR LF, LF or CR (one break each; a break at the very end adds no line).
    // A text that is not well-formed UTF-8 reads with U+FFFD for each stray byte.
    // A text beyond MaxQueryBytes or MaxQueryLines throws the limit's message.
    static QueryText FromBytes(std::string_view bytes);
    // The same over a buffer the file was read, mapped or inflated into, kept as
    // it is (a damaged text is repaired in it, or in a copy: RepairBuffer). A mapped file cut short
    // while it is split throws "Die Datei "%s" wurde beim Lesen verändert.".
    static QueryText FromBuffer(platform::LargeBuffer buffer);

    std::size_t Size() const { return lineCount_; }
    bool Empty() const { return lineCount_ == 0; }

    // Line i; an index at or beyond the end throws
    // "Listenindex überschreitet das Maximum (i)".
    std::string_view At(std::size_t i) const
    {
        if (i >= lineCount_) [[unlikely]]
            ThrowIndexError(static_cast<long long>(i));
        const std::uint32_t* starts = Starts() + Shift(i);
        const std::size_t begin = starts[i];
        // The line's break is known from its kinds byte, so a read touches the
        // text only where the line is.
        const std::size_t end = i + 1 == lineCount_ ? lastEnd_ : starts[i + 1] - BreakLength(KindBits(i));
        return {buffer_.Data() + begin, end - begin};
    }

    // The first line from `from` on whose LineKind bits include one of
    // `kinds`, or Size(). Eight lines at a time.
    std::size_t NextWith(std::size_t from, unsigned char kinds) const;

    // Asks the memory for line i's bytes (its first and last cache line), to be
    // read soon; nothing for an index at or beyond the end.
    void Prefetch(std::size_t i) const
    {
        if (i >= lineCount_) return;
        const std::uint32_t* starts = Starts() + Shift(i);
        PrefetchForRead(buffer_.Data() + starts[i]);
        PrefetchForRead(buffer_.Data() + starts[i + 1] - 1);
    }

    // The LineKind bits of line i (core/line_kinds.h); i below Size().
    unsigned char Kinds(std::size_t i) const { return KindBits(i) & static_cast<unsigned char>(~EndsWithCrLf); }

    // Bytes of the decoded text.
    std::size_t TextBytes() const { return buffer_.Size(); }

    // Throws "Die Datei "%s" wurde beim Lesen verändert." when the text is a
    // mapped file that was cut short since it was mapped (its lost part reads as zeros).
    void ThrowIfFileChanged() const { buffer_.ThrowIfFileChanged(); }

    // Bytes held (buffer and line table), for the memory figures of the benchmark.
    std::size_t MemoryBytes() const;

    QueryText(QueryText&&) noexcept = default;
    QueryText& operator=(QueryText&&) noexcept = default;
    QueryText(const QueryText&) = delete;
    QueryText& operator=(const QueryText&) = delete;

    static constexpr unsigned char EndsWithCrLf = ql::EndsWithCrLf;

private:
    // 1 for a CR or LF break that ends at `next`, 2 for a CR LF pair.
    static std::size_t BreakLengthBefore(const char* data, std::size_t next)
    {
        return data[next - 1] == '\n' && next >= 2 && data[next - 2] == '\r' ? 2 : 1;
    }
    // The length of the break after a line with these kind bits.
    static std::size_t BreakLength(unsigned char kindBits) { return (kindBits & EndsWithCrLf) ? 2 : 1; }
    unsigned char KindBits(std::size_t i) const { return static_cast<unsigned char>(kinds_.Data()[Slot(i)]); }
    // Where line i's entries lie in the tables: a large text's second half
    // was split into a region of its own, from line secondRegionFrom_ on.
    std::size_t Shift(std::size_t i) const { return i >= secondRegionFrom_ ? secondRegionShift_ : 0; }
    std::size_t Slot(std::size_t i) const { return i + Shift(i); }
    [[noreturn]] static void ThrowIndexError(long long index);
    const std::uint32_t* Starts() const { return reinterpret_cast<const std::uint32_t*>(starts_.Data()); }
    // Splits buffer_ from `start`; false when the text is not UTF-8, with
    // `invalid` at the first stray byte.
    bool Split(std::size_t start, std::size_t& invalid);

    platform::LargeBuffer buffer_;  // the decoded file, byte-order mark included
    platform::LargeBuffer starts_;  // 32-bit offset of each line, then where the next would start
    platform::LargeBuffer kinds_;  // LineKind bits of each line, and EndsWithCrLf
    std::size_t lineCount_ = 0;
    std::size_t lastEnd_ = 0;  // end of the last line (before a final break)
    static constexpr std::size_t NoSecondRegion = static_cast<std::size_t>(-1);
    std::size_t secondRegionFrom_ = NoSecondRegion;  // the first line read from the second region
    std::size_t secondRegionShift_ = 0;  // its entries lie this many slots further on
};

}  // namespace ql

#include "query/query_text.h"

#include <cstring>
#include <algorithm>
#include <bit>
#include <exception>
#include <new>
#include <system_error>

#include "base/query_limits.h"
#include "base/user_error.h"
#include "base/utf8.h"
#include "query/halves_split.h"
#include "query/line_kinds.h"
#include "query/line_table.h"

namespace ql {

namespace {

platform::LargeBuffer CopyToBuffer(std::string_view bytes)
{
    platform::LargeBuffer buffer(bytes.size());
    if (!bytes.empty()) std::memcpy(buffer.Data(), bytes.data(), bytes.size());
    buffer.SetSize(bytes.size());
    return buffer;
}

bool StartsWithByteOrderMark(const char* data, std::size_t n)
{
    return n >= 3 && static_cast<unsigned char>(data[0]) == 0xEF && static_cast<unsigned char>(data[1]) == 0xBB &&
           static_cast<unsigned char>(data[2]) == 0xBF;
}

}  // namespace

void RepairBuffer(platform::LargeBuffer& buffer, std::size_t invalid, std::uint64_t limit)
{
    // Counted first: a text of stray bytes grows threefold, and the limit
    // holds for the text as it would be, before any of it is built.
    const std::size_t n = buffer.Size();
    const std::uint64_t size = RepairedUtf8Size(buffer.View(), invalid);
    if (size > limit) ThrowQueryTooLarge(size);
    // The text from its first stray byte on is moved to the end of the room
    // the repaired text needs, then repaired forwards from there: the writing
    // never passes the reading. The valid start stays where it is.
    const std::size_t rest = n - invalid;
    const auto repaired = static_cast<std::size_t>(size);
    if (!buffer.IsMappedFile() && buffer.GrowKeepingPages(repaired)) {
        // The process's own bytes (read or inflated): repaired where they are.
        std::memmove(buffer.Data() + repaired - rest, buffer.Data() + invalid, rest);
    } else {
        // A mapped file, whose bytes are the system's file cache, or a block
        // that cannot grow: the repaired text is a copy. The original goes
        // as soon as its bytes are copied, before the copy grows threefold.
        platform::LargeBuffer copy(repaired);
        std::memcpy(copy.Data(), buffer.Data(), invalid);
        std::memcpy(copy.Data() + repaired - rest, buffer.Data() + invalid, rest);
        buffer = std::move(copy);
    }
    WriteRepairedUtf8({buffer.Data() + repaired - rest, rest}, 0, buffer.Data() + invalid);
    buffer.SetSize(repaired);
}

QueryText QueryText::FromBytes(std::string_view bytes)
{
    if (bytes.size() > MaxQueryBytes) ThrowQueryTooLarge(bytes.size());
    return FromBuffer(CopyToBuffer(bytes));
}

QueryText QueryText::FromBuffer(platform::LargeBuffer buffer)
{
    // The offsets are 32 bits wide.
    if (buffer.Size() > MaxQueryBytes) ThrowQueryTooLarge(buffer.Size());
    QueryText q;
    q.buffer_ = std::move(buffer);
    const std::size_t start = StartsWithByteOrderMark(q.buffer_.Data(), q.buffer_.Size()) ? 3 : 0;
    bool wellFormed = false;
    std::size_t invalid = 0;
    try {
        wellFormed = q.Split(start, invalid);
    } catch (const UserError&) {
        q.buffer_.ThrowIfFileChanged();  // zeros where a mapped file was cut short: that is the cause
        throw;
    }
    q.buffer_.ThrowIfFileChanged();
    if (!wellFormed) {
        // Decoded as UTF-8: a stray byte reads as U+FFFD. Repaired once, then split again.
        RepairBuffer(q.buffer_, invalid, MaxQueryBytes);
        q.Split(start, invalid);
    }
    return q;
}

namespace {

// Texts from this size on are split in two halves at once, one on a helper thread.
constexpr std::size_t SplitInHalvesFrom = std::size_t{16} << 20;

}  // namespace

bool QueryText::Split(std::size_t start, std::size_t& invalid)
{
    const char* const data = buffer_.Data();
    const std::size_t n = buffer_.Size();
    // Room for the most lines the limit allows and the entry after the last;
    // the system hands out only the pages the table fills, a real query
    // needing one entry per sixty bytes.
    const std::uint64_t maxEntries = MaxQueryLines(n) + 1;
    const auto roomFor = [&](std::size_t bytes) {
        return static_cast<std::size_t>(std::min<std::uint64_t>(bytes + 2, maxEntries + 1));
    };
    const std::size_t capacity = roomFor(n - start);

    // A large text is cut after an LF near its middle: no break, sequence or
    // searched text spans that place, so the halves split on their own, each
    // into a region of the table of its own (halves_split.h).
    std::size_t middle = n;
    if (n - start >= SplitInHalvesFrom) {
        const std::size_t half = start + (n - start) / 2;
        if (const void* lf = std::memchr(data + half, '\n', n - half)) middle = static_cast<const char*>(lf) - data + 1;
    }
    const std::size_t firstRoom = middle < n ? roomFor(middle - start) : capacity;
    const std::size_t secondRoom = middle < n ? roomFor(n - middle) : 0;
    platform::LargeBuffer startBytes((firstRoom + secondRoom) * sizeof(std::uint32_t));
    platform::LargeBuffer kindBytes(firstRoom + secondRoom);
    auto* const starts = reinterpret_cast<std::uint32_t*>(startBytes.Data());
    auto* const kinds = reinterpret_cast<unsigned char*>(kindBytes.Data());
    LineTable first{starts, kinds, firstRoom};
    std::size_t entries = 0;
    secondRegionFrom_ = NoSecondRegion;
    secondRegionShift_ = 0;
    try {
        if (middle < n) {
            LineTable second{starts + firstRoom, kinds + firstRoom, secondRoom};
            invalid = SplitHalves(data, start, middle, n, first, second, static_cast<std::size_t>(maxEntries));
            if (invalid < n) return false;
            // The first half's last entry is the second half's first line:
            // from that line on, the lines are read from the second region.
            entries = first.Entries - 1 + second.Entries;
            if (entries > capacity) throw TableFull{};
            secondRegionFrom_ = first.Entries - 1;
            secondRegionShift_ = firstRoom - secondRegionFrom_;
        } else {
            invalid = SplitRange(data, start, n, n, first);
            if (invalid < n) return false;
            entries = first.Entries;
        }
    } catch (const TableFull&) {
        ThrowTooManyLines(n);
    }

    // The last entry is where a line after the final break would start: a
    // break at the very end adds no line, and text after the last break is one.
    lineCount_ = 0;
    lastEnd_ = 0;
    if (entries == 0) {
        starts_ = {};
        kinds_ = {};
        return true;
    }
    if (starts[Slot(entries - 1)] < n) {
        // Text after the last break: one more line, and its end as the last entry.
        if (entries + 1 > maxEntries) ThrowTooManyLines(n);
        lastEnd_ = n;
        starts[Slot(entries)] = static_cast<std::uint32_t>(n + 1);
        lineCount_ = entries;
    } else {
        if (entries > maxEntries) ThrowTooManyLines(n);
        lastEnd_ = n - BreakLengthBefore(data, n);
        lineCount_ = entries - 1;
    }
    startBytes.SetSize((Slot(lineCount_) + 1) * sizeof(std::uint32_t));
    kindBytes.SetSize(lineCount_ == 0 ? 0 : Slot(lineCount_ - 1) + 1);
    starts_ = std::move(startBytes);
    kinds_ = std::move(kindBytes);
    return true;
}

namespace {

// The first line in [from, end) whose bits include one of `kinds`, or end;
// bits[i] holds line i's. Eight lines at a time.
std::size_t NextIn(const unsigned char* bits, std::size_t from, std::size_t end, unsigned char kinds)
{
    std::size_t i = from;
    if constexpr (std::endian::native == std::endian::little) {
        // The first byte in the text is the lowest of the word.
        const std::uint64_t mask = kinds * std::uint64_t{0x0101010101010101};
        for (; i + 8 <= end; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bits + i, sizeof word);
            if (const std::uint64_t found = word & mask)
                return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
    }
    for (; i < end; ++i)
        if (bits[i] & kinds) return i;
    return end;
}

}  // namespace

std::size_t QueryText::NextWith(std::size_t from, unsigned char kinds) const
{
    const auto* bits = reinterpret_cast<const unsigned char*>(kinds_.Data());
    kinds &= static_cast<unsigned char>(~EndsWithCrLf);
    if (from < secondRegionFrom_) {
        const std::size_t firstEnd = std::min(lineCount_, secondRegionFrom_);
        const std::size_t found = NextIn(bits, from, firstEnd, kinds);
        if (found < firstEnd || firstEnd == lineCount_) return found;
        from = firstEnd;
    }
    return from >= lineCount_ ? lineCount_ : NextIn(bits + secondRegionShift_, from, lineCount_, kinds);
}

void QueryText::ThrowIndexError(long long index)
{
    ql::ThrowIndexError(index);
}

std::size_t QueryText::MemoryBytes() const
{
    // What the tables use, rounded to the pages they touch in each region.
    constexpr std::size_t Page = 4096;
    const auto used = [](std::size_t bytes) { return (bytes + Page - 1) / Page * Page; };
    if (lineCount_ == 0) return buffer_.ReservedBytes();
    const std::size_t entries = lineCount_ + 1;
    const std::size_t firstRegion = std::min(entries, secondRegionFrom_);
    const std::size_t secondRegion = entries - firstRegion;
    return buffer_.ReservedBytes() + used(firstRegion * sizeof(std::uint32_t)) +
           used(secondRegion * sizeof(std::uint32_t)) + used(firstRegion) + used(secondRegion);
}

}  // namespace ql

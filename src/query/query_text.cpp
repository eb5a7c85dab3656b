#include "query/query_text.h"

#include <cstring>
#include <algorithm>
#include <bit>
#include <exception>
#include <new>
#include <system_error>

#include "base/query_limits.h"
#include "base/task_beside.h"
#include "base/user_error.h"
#include "base/utf8.h"
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

// Splits data[from, to) into the table beside the caller, who does its own
// share meanwhile.
class SplitJob {
public:
    SplitJob(const char* data, std::size_t from, std::size_t to, std::size_t n, std::size_t capacity)
            : table_(capacity), task_([this, data, from, to, n] { invalid_ = SplitRange(data, from, to, n, table_); })
    {
    }

    // Waits for the split; rethrows what it threw. Returns as SplitRange.
    std::size_t Result()
    {
        task_.Wait();
        return invalid_;
    }
    const LineTable& Table() const { return table_; }

private:
    LineTable table_;
    std::size_t invalid_ = 0;
    TaskBeside task_;  // last: joined before the table goes
};

}  // namespace

bool QueryText::Split(std::size_t start, std::size_t& invalid)
{
    const char* const data = buffer_.Data();
    const std::size_t n = buffer_.Size();
    // Room for the most lines the limit allows and the entry after the last;
    // the system hands out only the pages the table fills, a real query
    // needing one entry per sixty bytes.
    const std::uint64_t maxEntries = MaxQueryLines(n) + 1;
    const std::size_t capacity = static_cast<std::size_t>(std::min<std::uint64_t>(n - start + 2, maxEntries + 1));
    LineTable table(capacity);

    // A large text is cut after an LF near its middle: no break, sequence or
    // searched text spans that place, so the halves split on their own.
    std::size_t middle = n;
    if (n - start >= SplitInHalvesFrom) {
        const std::size_t half = start + (n - start) / 2;
        if (const void* lf = std::memchr(data + half, '\n', n - half)) middle = static_cast<const char*>(lf) - data + 1;
    }
    try {
        if (middle < n) {
            SplitJob second(data, middle, n, n, capacity);
            const std::size_t firstInvalid = SplitRange(data, start, middle, n, table);
            const std::size_t secondInvalid = second.Result();
            invalid = firstInvalid < middle ? firstInvalid : secondInvalid;
            if (invalid < n) return false;
            // The first half's last entry is the second half's first line.
            const LineTable& rest = second.Table();
            if (table.Entries - 1 + rest.Entries > capacity) throw TableFull{};
            --table.Entries;
            std::memcpy(table.Starts + table.Entries, rest.Starts, rest.Entries * sizeof(std::uint32_t));
            std::memcpy(table.Kinds + table.Entries, rest.Kinds, rest.Entries);
            table.Entries += rest.Entries;
        } else {
            invalid = SplitRange(data, start, n, n, table);
            if (invalid < n) return false;
        }
    } catch (const TableFull&) {
        ThrowTooManyLines(n);
    }
    std::uint32_t* const starts = table.Starts;
    const std::size_t entries = table.Entries;

    // The last entry is where a line after the final break would start: a
    // break at the very end adds no line, and text after the last break is one.
    lineCount_ = 0;
    lastEnd_ = 0;
    if (entries == 0) {
        starts_ = {};
        kinds_ = {};
        return true;
    }
    if (starts[entries - 1] < n) {
        // Text after the last break: one more line, and its end as the last entry.
        if (entries + 1 > maxEntries) ThrowTooManyLines(n);
        lastEnd_ = n;
        starts[entries] = static_cast<std::uint32_t>(n + 1);
        lineCount_ = entries;
    } else {
        if (entries > maxEntries) ThrowTooManyLines(n);
        lastEnd_ = n - BreakLengthBefore(data, n);
        lineCount_ = entries - 1;
    }
    table.StartBytes.SetSize((lineCount_ + 1) * sizeof(std::uint32_t));
    table.KindBytes.SetSize(lineCount_);
    starts_ = std::move(table.StartBytes);
    kinds_ = std::move(table.KindBytes);
    return true;
}

std::size_t QueryText::NextWith(std::size_t from, unsigned char kinds) const
{
    const auto* bits = reinterpret_cast<const unsigned char*>(kinds_.Data());
    kinds &= static_cast<unsigned char>(~EndsWithCrLf);
    std::size_t i = from;
    if constexpr (std::endian::native == std::endian::little) {
        // The first byte in the text is the lowest of the word.
        const std::uint64_t mask = kinds * std::uint64_t{0x0101010101010101};
        for (; i + 8 <= lineCount_; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bits + i, sizeof word);
            if (const std::uint64_t found = word & mask)
                return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
    }
    for (; i < lineCount_; ++i)
        if (bits[i] & kinds) return i;
    return lineCount_;
}

void QueryText::ThrowIndexError(long long index)
{
    ql::ThrowIndexError(index);
}

std::size_t QueryText::MemoryBytes() const
{
    // What the tables use, rounded to the pages they touch.
    constexpr std::size_t Page = 4096;
    const auto used = [](std::size_t bytes) { return (bytes + Page - 1) / Page * Page; };
    return buffer_.ReservedBytes() + used(starts_.Size()) + used(kinds_.Size());
}

}  // namespace ql

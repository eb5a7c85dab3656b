#include "core/query_text.h"

#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "base/user_error.h"
#include "base/utf8.h"
#include "core/line_breaks.h"
#include "core/line_kinds.h"

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

QueryText QueryText::FromBytes(std::string_view bytes)
{
    return FromBuffer(CopyToBuffer(bytes));
}

QueryText QueryText::FromBuffer(platform::LargeBuffer buffer)
{
    // The offsets are 32 bits wide.
    if (buffer.Size() >= UINT32_MAX) throw std::bad_alloc();
    QueryText q;
    q.buffer_ = std::move(buffer);
    const std::size_t start = StartsWithByteOrderMark(q.buffer_.Data(), q.buffer_.Size()) ? 3 : 0;
    if (std::size_t invalid = 0; !q.Split(start, invalid)) {
        // Decoded as UTF-8: a stray byte reads as U+FFFD. Repaired once, then split again.
        q.buffer_ = CopyToBuffer(RepairedUtf8(q.buffer_.View(), invalid));
        if (q.buffer_.Size() >= UINT32_MAX) throw std::bad_alloc();
        q.Split(start, invalid);
    }
    return q;
}

namespace {

// Texts from this size on are split in two halves at once, one on a helper thread.
constexpr std::size_t SplitInHalvesFrom = std::size_t{16} << 20;

// A line table being filled: the start of each line begun and its LineKind bits.
struct LineTable {
    std::uint32_t* Starts;
    unsigned char* Kinds;
    std::size_t Entries = 0;
};

// Splits data[from, to) into the table: an entry for the line at `from`, one
// more after every break. Returns as SplitCheckingUtf8. `n` is the text's end.
std::size_t SplitRange(const char* data, std::size_t from, std::size_t to, std::size_t n, LineTable& t)
{
    if (from < to) {
        t.Starts[t.Entries] = static_cast<std::uint32_t>(from);
        t.Kinds[t.Entries++] = 0;
    }
    return SplitCheckingUtf8(
        data, from, to,
        [&](std::size_t i) {
            // The LF of a CR LF pair ends nothing new: its CR already did.
            if (data[i] == '\n' && i > from && data[i - 1] == '\r') {
                t.Starts[t.Entries - 1] = static_cast<std::uint32_t>(i + 1);
                return;
            }
            t.Starts[t.Entries] = static_cast<std::uint32_t>(i + 1);
            t.Kinds[t.Entries++] = 0;
        },
        [&](std::size_t i) { t.Kinds[t.Entries - 1] |= TagKindAt(data + i, data + n); });
}

}  // namespace

bool QueryText::Split(std::size_t start, std::size_t& invalid)
{
    const char* const data = buffer_.Data();
    const std::size_t n = buffer_.Size();
    // Room for the most lines the text can have; the system hands out only
    // the pages the table fills, a real query needing one entry per sixty bytes.
    const std::size_t most = n - start + 2;
    starts_ = platform::LargeBuffer(most * sizeof(std::uint32_t));
    kinds_ = platform::LargeBuffer(most);
    LineTable table{reinterpret_cast<std::uint32_t*>(starts_.Data()), reinterpret_cast<unsigned char*>(kinds_.Data())};

    // A large text is cut after an LF near its middle: no break, sequence or
    // searched text spans that place, so the halves split on their own.
    std::size_t middle = n;
    if (n - start >= SplitInHalvesFrom) {
        const std::size_t half = start + (n - start) / 2;
        if (const void* lf = std::memchr(data + half, '\n', n - half)) middle = static_cast<const char*>(lf) - data + 1;
    }
    if (middle < n) {
        platform::LargeBuffer secondStarts((n - middle + 2) * sizeof(std::uint32_t));
        platform::LargeBuffer secondKinds(n - middle + 2);
        LineTable second{reinterpret_cast<std::uint32_t*>(secondStarts.Data()),
                         reinterpret_cast<unsigned char*>(secondKinds.Data())};
        std::size_t secondInvalid = n;
        const auto splitSecond = [&] { secondInvalid = SplitRange(data, middle, n, n, second); };
        std::thread helper;
        try {
            helper = std::thread(splitSecond);
        } catch (const std::system_error&) {
            splitSecond();  // no thread to be had: one after the other
        }
        const std::size_t firstInvalid = SplitRange(data, start, middle, n, table);
        if (helper.joinable()) helper.join();
        invalid = firstInvalid < middle ? firstInvalid : secondInvalid;
        if (invalid < n) return false;
        // The first half's last entry is the second half's first line.
        --table.Entries;
        std::memcpy(table.Starts + table.Entries, second.Starts, second.Entries * sizeof(std::uint32_t));
        std::memcpy(table.Kinds + table.Entries, second.Kinds, second.Entries);
        table.Entries += second.Entries;
    } else {
        invalid = SplitRange(data, start, n, n, table);
    }
    std::uint32_t* const starts = table.Starts;
    const std::size_t entries = table.Entries;
    if (invalid < n) return false;

    // The last entry is where a line after the final break would start: a
    // break at the very end adds no line, and text after the last break is one.
    lineCount_ = 0;
    lastEnd_ = 0;
    if (entries == 0) return true;
    if (starts[entries - 1] < n) {
        lastEnd_ = n;
        starts[entries] = static_cast<std::uint32_t>(n + 1);
        lineCount_ = entries;
    } else {
        lastEnd_ = n - BreakLengthBefore(data, n);
        lineCount_ = entries - 1;
    }
    starts_.SetSize((lineCount_ + 1) * sizeof(std::uint32_t));
    kinds_.SetSize(lineCount_);
    return true;
}

void QueryText::ThrowIndexError(long long index)
{
    ql::ThrowIndexError(index);
}

std::size_t QueryText::memoryBytes() const
{
    // What the tables use, rounded to the pages they touch.
    constexpr std::size_t Page = 4096;
    const auto used = [](std::size_t bytes) { return (bytes + Page - 1) / Page * Page; };
    return buffer_.ReservedBytes() + used(starts_.Size()) + used(kinds_.Size());
}

}  // namespace ql

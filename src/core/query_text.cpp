#include "core/query_text.h"

#include <cstring>
#include <new>

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

bool QueryText::Split(std::size_t start, std::size_t& invalid)
{
    const char* const data = buffer_.Data();
    const std::size_t n = buffer_.Size();
    // Room for the most lines the text can have; the system hands out only
    // the pages the table fills, a real query needing one entry per sixty bytes.
    const std::size_t most = n - start + 2;
    starts_ = platform::LargeBuffer(most * sizeof(std::uint32_t));
    kinds_ = platform::LargeBuffer(most);
    auto* const starts = reinterpret_cast<std::uint32_t*>(starts_.Data());
    auto* const kinds = reinterpret_cast<unsigned char*>(kinds_.Data());
    std::size_t entries = 0;  // lines begun so far
    if (start < n) {
        starts[entries] = static_cast<std::uint32_t>(start);
        kinds[entries++] = 0;
    }
    invalid = SplitCheckingUtf8(
        data, start, n,
        [&](std::size_t i) {
            // The LF of a CR LF pair ends nothing new: its CR already did.
            if (data[i] == '\n' && i > 0 && data[i - 1] == '\r') {
                starts[entries - 1] = static_cast<std::uint32_t>(i + 1);
                return;
            }
            starts[entries] = static_cast<std::uint32_t>(i + 1);
            kinds[entries++] = 0;
        },
        [&](std::size_t i) { kinds[entries - 1] |= TagKindAt(data + i, data + n); });
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

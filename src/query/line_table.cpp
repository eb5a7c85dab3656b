#include "query/line_table.h"

#include <algorithm>
#include <bit>

#include "base/utf8.h"
#include "query/line_events.h"
#include "query/line_kinds.h"

namespace ql {

namespace {

// The first byte of a valid UTF-8 sequence at p, before `end`: its length, or
// 0 when none starts there. The common two-byte letters are answered here.
std::size_t SequenceLengthAt(const char* p, const char* end)
{
    const auto b0 = static_cast<unsigned char>(p[0]);
    if (b0 >= 0xC2 && b0 <= 0xDF && end - p >= 2 && (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80) return 2;
    return ValidSequenceLength(p, end);
}

// Whether the block's bytes outside ASCII are all whole two-byte sequences
// (the letters of a German text), counting those of a sequence begun before
// `checkedTo`; if so, moves `checkedTo` past the block's last sequence.
// False sends the block to the byte-by-byte check.
bool TwoByteLettersOnly(const BlockEvents& e, std::size_t at, std::size_t to, const char* data, std::size_t& checkedTo)
{
    const std::size_t carried = checkedTo > at ? checkedTo - at : 0;  // at most 3
    const std::uint64_t carry = (std::uint64_t{1} << carried) - 1;
    if (e.High != (e.TwoByteLeads | e.Continuations) || e.Continuations != ((e.TwoByteLeads << 1) | carry))
        return false;
    const std::size_t next = at + EventBlockBytes;
    if (e.TwoByteLeads >> 63) {  // the last byte leads a sequence the next block ends
        if (next >= to || (static_cast<unsigned char>(data[next]) & 0xC0) != 0x80) return false;
        checkedTo = next + 1;
    } else {
        checkedTo = next;
    }
    return true;
}

// Blocks classified at a time: their events stay in the first-level cache.
constexpr std::size_t BlocksPerBatch = 16;

}  // namespace

std::size_t SplitRange(const char* data, std::size_t from, std::size_t to, std::size_t n, LineTable& t)
{
    if (from >= to) return to;
    const char* const end = data + to;
    std::size_t checkedTo = from;  // bytes before this belong to sequences found valid
    // False at the first byte outside a valid sequence.
    const auto validAt = [&](std::size_t p) {
        if (p < checkedTo) return true;  // a continuation byte
        const std::size_t length = SequenceLengthAt(data + p, end);
        checkedTo = p + length;
        return length != 0;
    };
    const auto begin = [&](std::size_t start) {
        if (t.Entries == t.Capacity) [[unlikely]]
            throw TableFull{};
        t.Starts[t.Entries] = static_cast<std::uint32_t>(start);
        t.Kinds[t.Entries++] = 0;
    };
    // One byte by itself; false at a stray byte.
    const auto step = [&](std::size_t i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x80) return validAt(i);
        if (c == '\n' || (c == '\r' && (i + 1 == to || data[i + 1] != '\n'))) {
            // A CR LF pair is one break, at its LF.
            if (c == '\n' && i > from && data[i - 1] == '\r') t.Kinds[t.Entries - 1] |= EndsWithCrLf;
            begin(i + 1);
        } else if (c == '<') {
            t.Kinds[t.Entries - 1] |= TagKindAt(data + i, data + n);
        }
        return true;
    };

    begin(from);
    // The first byte by itself: the blocks read the byte before theirs.
    if (!step(from)) return from;
    std::size_t i = from + 1;
    const ClassifyBlocks classify = ChosenClassifier();
    BlockEvents events[BlocksPerBatch];
    // The table's fields as locals: a byte written to the kinds could alias
    // any of them.
    std::uint32_t* const starts = t.Starts;
    unsigned char* const kinds = t.Kinds;
    std::size_t entries = t.Entries;
    unsigned char kind = kinds[entries - 1];  // the kinds of the line being read, written at its break
    // Whole blocks inside the range whose reads stay inside the text.
    const std::size_t blocksEnd = n > EventReadsAfter ? std::min(to, n - EventReadsAfter) : 0;
    while (i + EventBlockBytes <= blocksEnd) {
        const std::size_t blocks = std::min(BlocksPerBatch, (blocksEnd - i) / EventBlockBytes);
        classify(data + i, blocks, events);
        for (std::size_t b = 0; b < blocks; ++b, i += EventBlockBytes) {
            const BlockEvents& e = events[b];
            if (e.High && !TwoByteLettersOnly(e, i, to, data, checkedTo)) {
                for (std::uint64_t h = e.High; h; h &= h - 1) {
                    const std::size_t p = i + static_cast<std::size_t>(std::countr_zero(h));
                    if (!validAt(p)) {
                        kinds[entries - 1] = kind;
                        t.Entries = entries;
                        return p;
                    }
                }
            }
            if (t.Capacity - entries < EventBlockBytes &&
                entries + static_cast<std::size_t>(std::popcount(e.Breaks)) > t.Capacity)
                throw TableFull{};
            // Each "<" marks the line it lies in: those before a break, the line the break ends.
            std::uint64_t tags = e.Tags;
            const auto markTags = [&](std::uint64_t which) {
                for (; which; which &= which - 1)
                    kind |= TagKindAt(data + i + static_cast<std::size_t>(std::countr_zero(which)), data + n);
            };
            for (std::uint64_t m = e.Breaks; m; m &= m - 1) {
                const int k = std::countr_zero(m);
                const std::uint64_t before = (std::uint64_t{1} << k) - 1;
                if (tags & before) {
                    markTags(tags & before);
                    tags &= ~before;
                }
                kinds[entries - 1] = kind | static_cast<unsigned char>(((e.CrLf >> k) & 1) * EndsWithCrLf);
                starts[entries++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(k) + 1);
                kind = 0;
            }
            markTags(tags);
        }
    }
    kinds[entries - 1] = kind;
    t.Entries = entries;
    for (; i < to; ++i)
        if (!step(i)) return i;
    return to;
}

}  // namespace ql

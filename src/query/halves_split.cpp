#include "query/halves_split.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/task_beside.h"

namespace ql {

namespace {

constexpr std::size_t SlabBytes = std::size_t{1} << 20;

// Room for the entries of `bytes` of text, the entry after the last included.
std::size_t RoomFor(std::size_t bytes, std::size_t maxEntries)
{
    return std::min(bytes + 2, maxEntries + 1);
}

// A slab split by the thread that took it from the other's half, into a
// table of its own, to be appended to the half's region.
struct StolenSlab {
    std::size_t index;
    platform::LargeBuffer startBytes, kindBytes;
    LineTable table;
    std::size_t invalid;
};

// One half of the text in slabs: its owner takes them from the front, the
// other thread from the back, until they meet.
class Half {
public:
    Half(const char* data, std::size_t from, std::size_t to) : bounds_{from}
    {
        // A slab ends after the first LF in its last megabyte; a megabyte
        // without one (a line that long) joins the next slab.
        for (std::size_t at = from + SlabBytes; at < to; at += SlabBytes) {
            const std::size_t window = std::min(SlabBytes, to - at);
            if (const void* lf = std::memchr(data + at, '\n', window))
                bounds_.push_back(static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1);
        }
        bounds_.push_back(to);
        claims_ = Pack(0, Count());
    }

    std::size_t Count() const { return bounds_.size() - 1; }
    std::size_t Begin(std::size_t k) const { return bounds_[k]; }
    std::size_t End(std::size_t k) const { return bounds_[k + 1]; }

    std::optional<std::size_t> TakeFront() { return Take(true); }
    std::optional<std::size_t> TakeBack() { return Take(false); }

    std::vector<StolenSlab> Stolen;  // filled by the other thread, read after it is joined

private:
    static std::uint64_t Pack(std::size_t front, std::size_t back)
    {
        return std::uint64_t{back} << 32 | std::uint64_t{front};
    }
    std::optional<std::size_t> Take(bool front)
    {
        std::uint64_t claims = claims_.load();
        for (;;) {
            const std::size_t next = claims & 0xFFFFFFFF, end = claims >> 32;
            if (next >= end) return std::nullopt;
            const std::uint64_t taken = front ? Pack(next + 1, end) : Pack(next, end - 1);
            if (claims_.compare_exchange_weak(claims, taken)) return front ? next : end - 1;
        }
    }

    std::vector<std::size_t> bounds_;  // slab k is [bounds_[k], bounds_[k + 1])
    std::atomic<std::uint64_t> claims_;  // the next slab from the front, one past the last from the back
};

// The owner's work: its half's slabs from the front, one after the other into
// its region. Returns the first stray byte it met, or n.
std::size_t SplitOwnHalf(const char* data, std::size_t n, Half& half, LineTable& t)
{
    std::size_t invalid = n;
    while (const std::optional<std::size_t> k = half.TakeFront()) {
        if (half.Begin(*k) == half.End(*k)) continue;
        if (t.Entries > 0) --t.Entries;  // the last entry is this slab's first line
        const std::size_t found = SplitRange(data, half.Begin(*k), half.End(*k), n, t);
        if (found < half.End(*k)) invalid = std::min(invalid, found);
    }
    return invalid;
}

// The thief's work: the other half's slabs from the back, each into a table
// of its own.
void StealFrom(const char* data, std::size_t n, Half& half, std::size_t maxEntries)
{
    while (const std::optional<std::size_t> k = half.TakeBack()) {
        const std::size_t room = RoomFor(half.End(*k) - half.Begin(*k), maxEntries);
        StolenSlab& slab = half.Stolen.emplace_back(
            StolenSlab{*k, platform::LargeBuffer(room * sizeof(std::uint32_t)), platform::LargeBuffer(room), {}, n});
        slab.table = LineTable{reinterpret_cast<std::uint32_t*>(slab.startBytes.Data()),
                               reinterpret_cast<unsigned char*>(slab.kindBytes.Data()), room};
        const std::size_t found = SplitRange(data, half.Begin(*k), half.End(*k), n, slab.table);
        slab.invalid = found < half.End(*k) ? found : n;
    }
}

// Appends the stolen slabs, in text order, to the half's region. Returns the
// first stray byte they met, or n.
std::size_t AppendStolen(Half& half, LineTable& t, std::size_t n)
{
    std::sort(half.Stolen.begin(), half.Stolen.end(),
              [](const StolenSlab& a, const StolenSlab& b) { return a.index < b.index; });
    std::size_t invalid = n;
    for (const StolenSlab& slab : half.Stolen) {
        invalid = std::min(invalid, slab.invalid);
        if (slab.table.Entries == 0) continue;
        if (t.Entries > 0) --t.Entries;  // the last entry is this slab's first line
        if (t.Entries + slab.table.Entries > t.Capacity) throw TableFull{};
        std::memcpy(t.Starts + t.Entries, slab.table.Starts, slab.table.Entries * sizeof(std::uint32_t));
        std::memcpy(t.Kinds + t.Entries, slab.table.Kinds, slab.table.Entries);
        t.Entries += slab.table.Entries;
    }
    return invalid;
}

}  // namespace

std::size_t SplitHalves(const char* data, std::size_t from, std::size_t middle, std::size_t n, LineTable& first,
                        LineTable& second, std::size_t maxEntries)
{
    Half firstHalf(data, from, middle), secondHalf(data, middle, n);
    std::size_t secondInvalid = n;
    TaskBeside beside([&] {
        secondInvalid = SplitOwnHalf(data, n, secondHalf, second);
        StealFrom(data, n, firstHalf, maxEntries);
    });
    std::size_t firstInvalid = SplitOwnHalf(data, n, firstHalf, first);
    StealFrom(data, n, secondHalf, maxEntries);
    beside.Wait();
    firstInvalid = std::min(firstInvalid, AppendStolen(firstHalf, first, n));
    secondInvalid = std::min(secondInvalid, AppendStolen(secondHalf, second, n));
    return std::min(firstInvalid, secondInvalid);
}

}  // namespace ql

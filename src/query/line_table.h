#pragma once
// A query's text split into lines: the start of each line and what the scan
// looks for in it (line_kinds.h), found by one pass that also checks the text
// is UTF-8.

#include <cstddef>
#include <cstdint>

namespace ql {

// Room for a line table being filled: the start of each line begun and its
// LineKind bits, `Capacity` entries of each.
struct LineTable {
    std::uint32_t* Starts;
    unsigned char* Kinds;
    std::size_t Capacity;
    std::size_t Entries = 0;
};

// Thrown by SplitRange when the table is full: more lines than it has room for.
struct TableFull {};

// Splits data[from, to) at CR LF, LF or CR into the table: an entry for the
// line at `from`, one more after every break (its start). `n` is the text's
// end; from `to` on the text is only looked at, never split. Returns `to`
// when data[from, to) is well-formed UTF-8; otherwise the offset of the
// first byte outside a valid sequence, the table then being incomplete (the
// caller repairs the text and splits it again).
std::size_t SplitRange(const char* data, std::size_t from, std::size_t to, std::size_t n, LineTable& t);

}  // namespace ql

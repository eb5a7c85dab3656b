#pragma once
// A large text split into lines by two threads at once: the calling thread
// splits the first half, a thread beside it the second, each into a region of
// the line table of its own. Each half comes in slabs of about a megabyte,
// cut after a line break; a thread done with its own half takes slabs from
// the far end of the other's, so that both work until the end.

#include <cstddef>

#include "query/line_table.h"

namespace ql {

// Splits data[from, middle) into `first` and data[middle, n) into `second`
// (middle right after an LF); a slab's own table has room for at most
// maxEntries + 1 entries. Returns n when the text is well-formed UTF-8,
// otherwise the offset of its first stray byte (the tables are then
// incomplete). Throws TableFull as SplitRange does.
std::size_t SplitHalves(const char* data, std::size_t from, std::size_t middle, std::size_t n, LineTable& first,
                        LineTable& second, std::size_t maxEntries);

}  // namespace ql

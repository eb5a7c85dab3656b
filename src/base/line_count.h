#pragma once
// Counting the lines of a text without splitting it.

#include <cstdint>

namespace ql {

// The line breaks in [p, end): every LF, and every CR that no LF follows (a
// CR at `end` counts), so a CR LF pair counts once. Sixteen bytes at a time
// where the processor has SSE2.
std::uint64_t CountLineBreaks(const char* p, const char* end);

}  // namespace ql

#pragma once
// How large a query may be. The line table keeps 32-bit offsets into the
// query's buffer, and the scan keeps one byte per line beside it, so both
// limits together keep the memory of an open query within a small multiple of
// its text, whatever the text's shape. A real pocket query of 500,000 finds
// (about 1.9 GB, 26 million lines at some 3.8 KB and 52 lines a find) stays
// well inside both.

#include <cstdint>
#include <string>

namespace ql {

// The most bytes a decoded query may hold: the line offsets are 32 bits wide.
inline constexpr std::uint64_t MaxQueryBytes = 4'000'000'000;

// The most lines a query of `bytes` bytes may have: one line per 16 bytes on
// average, plus some four million lines for any file (a real query averages
// about 74 bytes a line). A text of bare line breaks stops here.
constexpr std::uint64_t MaxQueryLines(std::uint64_t bytes)
{
    return bytes / 16 + (std::uint64_t{1} << 22);
}

// What the rows of one scan may hold beside the query: as much again as the
// query's text, plus 32 MiB. A real find costs its row some 400 bytes
// against its 3.8 KB of text.
constexpr std::uint64_t MaxRowBytes(std::uint64_t queryBytes)
{
    return queryBytes + (std::uint64_t{32} << 20);
}

// A number with "." between groups of three digits: 4.000.000.000.
std::string GroupedNumber(std::uint64_t n);

// "Die Abfrage ist zu groß: %s Bytes, höchstens %s Bytes sind möglich."
[[noreturn]] void ThrowQueryTooLarge(std::uint64_t bytes);

// "Die Abfrage ist zu groß: mehr als %s Bytes, höchstens %s Bytes sind
// möglich.", both the limit: for a size counted only until it passed the limit.
[[noreturn]] void ThrowQueryBeyondLimit();

// "Die Abfrage hat zu viele Zeilen: Bei %s Bytes sind höchstens %s Zeilen möglich."
[[noreturn]] void ThrowTooManyLines(std::uint64_t bytes);

}  // namespace ql

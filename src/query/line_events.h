#pragma once
// What the split looks for in a query's text, found 64 bytes at a time: line
// breaks, CR LF pairs, the "<" that may start one of the scan's texts
// (line_kinds.h) and bytes outside ASCII. The widest vector unit the
// processor has does the comparing (AVX-512, AVX2 or SSE2, chosen once at
// run time); every unit gives the same bits.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ql {

// One block of 64 bytes; bit k stands for the block's byte k.
struct BlockEvents {
    std::uint64_t Breaks;  // an LF, or a CR not followed by an LF: where a line ends
    std::uint64_t CrLf;  // an LF right after a CR: the line ends with a pair
    // A "<" followed by "wp", "/w", or "g" with 'd', 'c' or 's' twelve bytes
    // on: the only places the scan's texts may start (a superset of them).
    std::uint64_t Tags;
    std::uint64_t High;  // a byte at or above 0x80
    std::uint64_t Continuations;  // a byte in 0x80-0xBF
    std::uint64_t TwoByteLeads;  // a byte in 0xC2-0xDF: the lead of a two-byte sequence
};

inline constexpr std::size_t EventBlockBytes = 64;
// A block also reads the byte before it and this many after it.
inline constexpr std::size_t EventReadsAfter = 13;

// Fills out[0, blocks) for the blocks from `at` on; reads at[-1] up to
// at[64 * blocks + EventReadsAfter - 1].
using ClassifyBlocks = void (*)(const char* at, std::size_t blocks, BlockEvents* out);

// The classifier for this processor.
ClassifyBlocks ChosenClassifier();

// Every classifier this build has that this processor can run, the plain one
// first; for the tests that hold them against each other.
std::vector<ClassifyBlocks> RunnableClassifiers();

}  // namespace ql

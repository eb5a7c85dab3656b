#include "archive/huffman_code.h"

namespace ql::zip {

bool HuffmanCode::Build(const std::uint8_t* lengths, std::size_t count, Kind kind)
{
    perLength_.fill(0);
    for (std::size_t s = 0; s < count; ++s) {
        if (lengths[s] > MaxBits) return false;
        ++perLength_[lengths[s]];
    }
    perLength_[0] = 0;
    // Over-subscribed: more codes of some length than the shorter ones leave room for.
    int left = 1;
    unsigned longest = 0;
    for (unsigned len = 1; len <= MaxBits; ++len) {
        left = 2 * left - perLength_[len];
        if (left < 0) return false;
        if (perLength_[len] != 0) longest = len;
    }
    if (left > 0) {
        // Incomplete: zlib takes a lone one-bit code or none at all, except
        // for the code lengths (where none would only fail later).
        if (kind == Kind::CodeLengths) return false;
        if (longest > 1) return false;
    }

    std::array<std::uint16_t, MaxBits + 2> offset{};
    for (unsigned len = 1; len <= MaxBits; ++len) offset[len + 1] = offset[len] + perLength_[len];
    for (std::size_t s = 0; s < count; ++s) {
        if (lengths[s] != 0) sorted_[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    }

    // The short codes into the table, each at its bit-reversed code and every
    // continuation of it; the rest of the table says "walk".
    root_.fill(Symbol{0, 0});
    unsigned code = 0;
    std::size_t index = 0;
    for (unsigned len = 1; len <= MaxBits; ++len) {
        for (unsigned i = 0; i < perLength_[len]; ++i, ++code, ++index) {
            if (len > RootBits) continue;
            unsigned reversed = 0;
            for (unsigned b = 0; b < len; ++b) reversed |= ((code >> b) & 1u) << (len - 1 - b);
            for (unsigned at = reversed; at < root_.size(); at += 1u << len) {
                root_[at] = Symbol{sorted_[index], static_cast<std::uint8_t>(len)};
            }
        }
        code <<= 1;
    }
    return true;
}

HuffmanCode::Symbol HuffmanCode::DecodeLong(std::uint64_t bits) const
{
    // Canonical codes of one length are consecutive: walk the lengths,
    // reading one more bit each time.
    unsigned code = 0;
    unsigned first = 0;
    unsigned index = 0;
    for (unsigned len = 1; len <= MaxBits; ++len) {
        code |= static_cast<unsigned>(bits & 1);
        bits >>= 1;
        const unsigned n = perLength_[len];
        if (code - first < n) return Symbol{sorted_[index + (code - first)], static_cast<std::uint8_t>(len)};
        index += n;
        first = (first + n) << 1;
        code <<= 1;
    }
    return Symbol{0, 0};
}

}  // namespace ql::zip

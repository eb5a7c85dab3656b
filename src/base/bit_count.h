#pragma once
// Counting the set bits of a mask, inline: std::popcount becomes a library
// call per mask where the processor's own instruction is not assumed (the
// x86-64 baseline), which costs more than the loops around it.

#include <cstdint>

namespace ql {

constexpr unsigned CountBits(std::uint32_t v)
{
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return (((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

static_assert(CountBits(0) == 0 && CountBits(0xFFFF) == 16 && CountBits(0xFFFFFFFFu) == 32 &&
              CountBits(0x80000001u) == 2);

}  // namespace ql

#pragma once
// One Huffman code of a deflate block, built from its code lengths with the
// rules zlib's inflater holds them to, and looked up in a table of the first
// bits (longer codes are walked bit by bit, as they are rare).

#include <array>
#include <cstddef>
#include <cstdint>

namespace ql::zip {

class HuffmanCode {
public:
    static constexpr unsigned MaxBits = 15;
    static constexpr std::size_t MaxSymbols = 288;

    // What the code is for: the code lengths code must be complete; a
    // literal/length or distance code may also be a single code of one bit,
    // or (distances) no code at all.
    enum class Kind { CodeLengths, LiteralsOrDistances };

    // Builds the code; false when the lengths (each at most MaxBits, `count`
    // at most MaxSymbols) are over-subscribed or an incomplete code the kind
    // does not allow.
    bool Build(const std::uint8_t* lengths, std::size_t count, Kind kind);

    // A symbol and the bits its code took.
    struct Symbol {
        std::uint16_t Value;
        std::uint8_t Bits;  // 0: no code starts with these bits
    };
    // Decodes the symbol whose code starts `bits` (at least MaxBits of them
    // valid, least significant first).
    Symbol Decode(std::uint64_t bits) const
    {
        const Symbol s = root_[bits & RootMask];
        return s.Bits != 0 ? s : DecodeLong(bits);
    }

private:
    static constexpr unsigned RootBits = 10;
    static constexpr std::uint64_t RootMask = (1u << RootBits) - 1;

    Symbol DecodeLong(std::uint64_t bits) const;

    std::array<Symbol, std::size_t{1} << RootBits> root_{};
    std::array<std::uint16_t, MaxBits + 1> perLength_{};  // codes of each length
    std::array<std::uint16_t, MaxSymbols> sorted_{};  // the symbols by code length, then value
};

}  // namespace ql::zip

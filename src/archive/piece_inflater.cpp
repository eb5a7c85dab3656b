#include "archive/piece_inflater.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "archive/bit_input.h"
#include "archive/huffman_code.h"

namespace ql::zip {

namespace {

// Lengths of the symbols 257 to 285, and distances: base and extra bits.
constexpr std::array<std::uint16_t, 29> LengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> LengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> DistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> DistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::size_t LengthSymbols = 286;  // 286 and 287 have fixed codes but stand for nothing
constexpr std::size_t DistanceSymbols = 30;
constexpr unsigned EndOfBlock = 256;

// The code lengths' own lengths come in this order.
constexpr std::array<std::uint8_t, 19> CodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

struct FixedCodes {
    HuffmanCode literals;
    HuffmanCode distances;
    FixedCodes()
    {
        std::array<std::uint8_t, 288> lengths{};
        std::fill(lengths.begin(), lengths.begin() + 144, 8);
        std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
        std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
        std::fill(lengths.begin() + 280, lengths.end(), 8);
        literals.Build(lengths.data(), lengths.size(), HuffmanCode::Kind::LiteralsOrDistances);
        std::array<std::uint8_t, 32> distance;
        distance.fill(5);
        distances.Build(distance.data(), distance.size(), HuffmanCode::Kind::LiteralsOrDistances);
    }
};

const FixedCodes& Fixed()
{
    static const FixedCodes codes;
    return codes;
}

// Copies a match of `length` bytes from `distance` back (at most History()).
// Runs of one byte are set at once; short distances copy what is already
// there, doubling; the rest in 16-byte steps, which may write up to 15 bytes
// past the match (the buffer leaves room for that).
char* CopyMatch(char* out, std::size_t distance, std::size_t length)
{
    const char* from = out - distance;
    char* const end = out + length;
    if (distance == 1) {
        std::memset(out, *from, length);
    } else if (distance < 16) {
        while (out < end) {
            const auto n = std::min(static_cast<std::size_t>(end - out), static_cast<std::size_t>(out - from));
            std::memcpy(out, from, n);
            out += n;
        }
    } else {
        do {
            std::memcpy(out, from, 16);
            out += 16;
            from += 16;
        } while (out < end);
    }
    return end;
}

class Inflater {
public:
    Inflater(DeflateInput& input, const PieceSizes& sizes, PieceSink& sink)
            : in_(input, sizes.Read), out_(sizes, in_, sink)
    {
    }

    InflateEnd Run()
    {
        for (;;) {
            in_.Refill();
            const bool last = in_.Take(1) != 0;
            const unsigned type = in_.Take(2);
            Flow flow = Flow::Broken;
            if (type == 0) flow = Stored();
            else if (type == 1) flow = Codes(Fixed().literals, Fixed().distances);
            else if (type == 2 && ReadCodes()) flow = Codes(literals_, distances_);
            if (flow == Flow::Go && last) flow = out_.End(in_.Position());
            if (flow == Flow::Broken) return InflateEnd::Broken;
            if (flow == Flow::Stopped) return InflateEnd::Stopped;
            if (last) return InflateEnd::StreamEnd;
        }
    }

private:
    Flow Stored()
    {
        in_.AlignToByte();
        in_.Refill();
        std::uint32_t length = in_.Take(16);
        if (length != (~in_.Take(16) & 0xFFFFu)) return Flow::Broken;
        while (length > 0) {
            // Byte by byte as far as the read and the room go.
            const std::uint64_t at = in_.Position() / 8;
            const Flow flow = out_.BeforeOutput(8 * (at + 1), 8 * at);
            if (flow != Flow::Go) return flow;
            const auto n =
                static_cast<std::uint32_t>(std::min<std::uint64_t>({length, out_.RoomLeft(), out_.InputLimit() - at}));
            in_.CopyBytes(out_.Out(), n);
            out_.Wrote(out_.Out() + n);
            length -= n;
            if (out_.Out() >= out_.RoomEnd()) {
                const Flow cut = out_.AfterOutput();
                if (cut != Flow::Go) return cut;
            }
        }
        return Flow::Go;
    }

    // Reads a dynamic block's codes; false when zlib would not take them.
    bool ReadCodes()
    {
        in_.Refill();
        const unsigned lengthCount = in_.Take(5) + 257;
        const unsigned distanceCount = in_.Take(5) + 1;
        const unsigned codeLengthCount = in_.Take(4) + 4;
        if (lengthCount > LengthSymbols || distanceCount > DistanceSymbols) return false;
        std::array<std::uint8_t, 19> codeLengths{};
        for (unsigned i = 0; i < codeLengthCount; ++i) {
            in_.Refill();
            codeLengths[CodeLengthOrder[i]] = static_cast<std::uint8_t>(in_.Take(3));
        }
        HuffmanCode codeLengthCode;
        if (!codeLengthCode.Build(codeLengths.data(), codeLengths.size(), HuffmanCode::Kind::CodeLengths)) return false;

        std::array<std::uint8_t, LengthSymbols + DistanceSymbols> lengths{};
        const unsigned total = lengthCount + distanceCount;
        for (unsigned n = 0; n < total;) {
            in_.Refill();
            const HuffmanCode::Symbol s = codeLengthCode.Decode(in_.Peek());
            if (s.Bits == 0) return false;
            in_.Drop(s.Bits);
            if (s.Value < 16) {
                lengths[n++] = static_cast<std::uint8_t>(s.Value);
                continue;
            }
            std::uint8_t repeated = 0;
            unsigned times;
            if (s.Value == 16) {
                if (n == 0) return false;  // nothing to repeat
                repeated = lengths[n - 1];
                times = 3 + in_.Take(2);
            } else if (s.Value == 17) {
                times = 3 + in_.Take(3);
            } else {
                times = 11 + in_.Take(7);
            }
            if (n + times > total) return false;
            std::fill_n(lengths.begin() + n, times, repeated);
            n += times;
        }
        if (lengths[EndOfBlock] == 0) return false;
        return literals_.Build(lengths.data(), lengthCount, HuffmanCode::Kind::LiteralsOrDistances) &&
               distances_.Build(lengths.data() + lengthCount, distanceCount, HuffmanCode::Kind::LiteralsOrDistances);
    }

    // The blocks' codes: literals and copies. The busy state (the bits, the
    // output's place and limits) stays in local variables, written back to
    // in_ and out_ around every call that uses them.
    Flow Codes(const HuffmanCode& literals, const HuffmanCode& distances)
    {
        BitCursor bits = in_.Lend();
        BitInput::Origin origin = in_.CurrentOrigin();
        char* out = out_.Out();
        const char* roomEnd = out_.RoomEnd();
        std::uint64_t clearUpTo = out_.ClearUpTo();
        const char* const oldest = out_.Oldest();
        const auto lend = [&] {
            in_.Return(bits);
            out_.Wrote(out);
        };
        const auto takeBack = [&] {
            bits = in_.Lend();
            origin = in_.CurrentOrigin();
            out = out_.Out();
            roomEnd = out_.RoomEnd();
            clearUpTo = out_.ClearUpTo();
        };
        // Hands on what must go first, writes the bytes, cuts the piece once full.
        const auto before = [&](std::uint64_t end) {
            if (end <= clearUpTo) return Flow::Go;
            lend();
            const Flow flow = out_.BeforeOutput(end, end);
            takeBack();
            return flow;
        };
        const auto after = [&] {
            if (out < roomEnd) return Flow::Go;
            lend();
            const Flow flow = out_.AfterOutput();
            takeBack();
            return flow;
        };
        const auto literal = [&](HuffmanCode::Symbol s) {
            bits.Drop(s.Bits);
            const Flow flow = before(BitInput::PositionOf(bits, origin));
            if (flow != Flow::Go) return flow;
            *out++ = static_cast<char>(s.Value);
            return after();
        };
        for (;;) {
            if (!bits.RefillQuickly()) {
                lend();
                in_.Refill();
                takeBack();
            }
            HuffmanCode::Symbol s = literals.Decode(bits.hold);
            if (s.Bits == 0) return Flow::Broken;
            if (s.Value < EndOfBlock) {
                // Up to three literals on one refill: a code takes at most 15
                // of the 56 bits held. Anything else is decoded again after a refill.
                Flow flow = literal(s);
                for (int more = 2; flow == Flow::Go && more > 0; --more) {
                    s = literals.Decode(bits.hold);
                    if (s.Bits == 0 || s.Value >= EndOfBlock) break;
                    flow = literal(s);
                }
                if (flow != Flow::Go) return flow;
                continue;
            }
            bits.Drop(s.Bits);
            if (s.Value == EndOfBlock) {
                lend();
                return Flow::Go;
            }
            const unsigned lengthCode = s.Value - EndOfBlock - 1;
            if (lengthCode >= LengthBase.size()) return Flow::Broken;
            const std::size_t length = LengthBase[lengthCode] + bits.Take(LengthExtra[lengthCode]);
            const HuffmanCode::Symbol d = distances.Decode(bits.hold);
            if (d.Bits == 0 || d.Value >= DistanceSymbols) return Flow::Broken;
            bits.Drop(d.Bits);
            const std::size_t distance = DistanceBase[d.Value] + bits.Take(DistanceExtra[d.Value]);
            const Flow flow = before(BitInput::PositionOf(bits, origin));
            if (flow != Flow::Go) return flow;
            if (distance > static_cast<std::size_t>(out - oldest)) return Flow::Broken;  // too far back
            out = CopyMatch(out, distance, length);
            const Flow cut = after();
            if (cut != Flow::Go) return cut;
        }
    }

    BitInput in_;
    OutputPieces out_;
    HuffmanCode literals_;
    HuffmanCode distances_;
};

}  // namespace

InflateEnd InflateInPieces(DeflateInput& input, const PieceSizes& sizes, PieceSink& sink)
{
    Inflater inflater(input, sizes, sink);
    return inflater.Run();
}

}  // namespace ql::zip

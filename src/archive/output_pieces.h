#pragma once
// The output of the decoder that keeps nothing: the last 32 KiB that later
// bytes may copy from, and the piece being made, in one buffer that slides.
// The pieces are cut where zlib's inflater, given the same reads of input and
// the same room for each call, would return: when the room is full, or where
// the next output needs input the read so far does not hold. A piece is
// handed on only once everything zlib would look at in that call decoded
// well, so that a piece handed here is one zlib would return without an
// error (and the last one, with the stream's end).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/bit_input.h"

namespace ql::zip {

// Receives the pieces, in order.
class PieceSink {
public:
    virtual ~PieceSink() = default;
    // `last`: the piece ends the stream. Returns whether decoding goes on.
    virtual bool TakePiece(const char* data, std::size_t n, bool last) = 0;
};

// How the input is read and the output cut.
struct PieceSizes {
    std::size_t Read;  // compressed bytes per read
    std::size_t Room;  // output per call into the inflater
    std::uint64_t Capacity;  // the most output the stream may produce
};

// How decoding goes on.
enum class Flow { Go, Broken, Stopped };

class OutputPieces {
public:
    // What later bytes may copy from.
    static constexpr std::size_t Window = 32768;
    // A whole match past the room's end, and the overrun of a wide copy.
    static constexpr std::size_t Slack = 258 + 32;

    // `input`: the stream's bits, its first read made.
    OutputPieces(const PieceSizes& sizes, BitInput& input, PieceSink& sink);

    // Where the next byte goes; Wrote() moves it on. The room's end, and up
    // to Slack bytes past it, may be written.
    char* Out() { return out_; }
    void Wrote(char* out) { out_ = out; }
    const char* RoomEnd() const { return roomEnd_; }
    // The oldest byte a copy may reach; History(): the bytes from there to Out().
    const char* Oldest() const { return buffer_.data(); }
    std::size_t History() const { return static_cast<std::size_t>(out_ - buffer_.data()); }

    // Output whose input ends at a stream bit up to this goes into the
    // current piece at once; beyond it, BeforeOutput() first.
    std::uint64_t ClearUpTo() const { return pending_ ? 0 : limitBits_; }
    // Hands on what must go before output that needs the input up to bit
    // `end`, zlib having taken it up to bit `taken` before (the same, but
    // for stored bytes): a full piece held back, the piece whose read ends
    // before `end`. Broken when the input ends first.
    Flow BeforeOutput(std::uint64_t end, std::uint64_t taken);
    // Cuts the piece once its room is full (Out() reached RoomEnd()).
    Flow AfterOutput();
    // The stream ended at bit `end`: hands on the rest, the last piece marked.
    Flow End(std::uint64_t end);

    // Input bytes (from the stream's start) that the current call may read.
    std::uint64_t InputLimit() const { return limitBits_ / 8; }
    std::size_t RoomLeft() const { return static_cast<std::size_t>(roomEnd_ - out_); }

private:
    bool Hand(const char* from, const char* to, bool last);
    // The next piece starts at `start`: its room, and the buffer slid when it
    // would not fit. False when no room is left (more output than the capacity).
    bool StartPiece(char* start);
    // The next call starts with the next read when zlib had taken every
    // byte of this one, up to bit `taken`.
    void ReadIfAllTaken(std::uint64_t taken);
    // The input limit moves to the end of the next read; false when there is none.
    bool NextRead();
    // The current read ran out before bit `end`: the piece so far is handed
    // on, the next call goes on with the next read.
    Flow CutForInput(std::uint64_t end);

    PieceSizes sizes_;
    BitInput& input_;
    PieceSink& sink_;
    std::vector<char> buffer_;
    std::uint64_t base_ = 0;  // output bytes slid out before the buffer's start
    char* out_;
    char* pieceStart_;
    char* roomEnd_;
    std::uint64_t limitBits_;  // the end of the current read, in bits
    bool pending_ = false;  // [pieceStart_, roomEnd_) is full, not yet handed on
};

}  // namespace ql::zip

#include "archive/output_pieces.h"

#include <algorithm>
#include <cstring>

namespace ql::zip {

OutputPieces::OutputPieces(const PieceSizes& sizes, BitInput& input, PieceSink& sink)
        : sizes_(sizes), input_(input), sink_(sink), buffer_(Window + sizes.Room + Slack)
{
    out_ = pieceStart_ = roomEnd_ = buffer_.data();
    limitBits_ = 8 * std::min<std::uint64_t>(sizes_.Read, input_.KnownEnd());
    // No room at all: the first output is past the capacity.
    if (!StartPiece(out_)) roomEnd_ = out_;
}

bool OutputPieces::Hand(const char* from, const char* to, bool last)
{
    if (from == to && !last) return true;  // nothing: zlib's empty calls change nothing
    return sink_.TakePiece(from, static_cast<std::size_t>(to - from), last);
}

bool OutputPieces::StartPiece(char* start)
{
    pieceStart_ = start;
    const std::uint64_t at = base_ + static_cast<std::uint64_t>(start - buffer_.data());
    if (at >= sizes_.Capacity) {
        roomEnd_ = start;
        return false;
    }
    const auto room = static_cast<std::size_t>(std::min<std::uint64_t>(sizes_.Room, sizes_.Capacity - at));
    if (static_cast<std::size_t>(buffer_.data() + buffer_.size() - start) < room + Slack) {
        // Slide: keep the window behind Out() and the piece's start.
        const std::size_t history = std::min(Window, History());
        char* keep = std::min(pieceStart_, out_ - history);
        const auto shift = static_cast<std::size_t>(keep - buffer_.data());
        std::memmove(buffer_.data(), keep, static_cast<std::size_t>(out_ - keep));
        base_ += shift;
        out_ -= shift;
        pieceStart_ -= shift;
    }
    roomEnd_ = pieceStart_ + room;
    return true;
}

bool OutputPieces::NextRead()
{
    const std::uint64_t limit = limitBits_ / 8;
    input_.ReadIfAllTaken();
    const std::uint64_t inputEnd = input_.KnownEnd();
    if (limit >= inputEnd) return false;
    limitBits_ = 8 * std::min(limit + sizes_.Read, inputEnd);
    return true;
}

void OutputPieces::ReadIfAllTaken(std::uint64_t taken)
{
    // zlib takes whole bytes, only as many as it needs.
    if ((taken + 7) / 8 >= limitBits_ / 8) (void)NextRead();
}

Flow OutputPieces::CutForInput(std::uint64_t end)
{
    while (end > limitBits_) {
        if (!Hand(pieceStart_, out_, false)) return Flow::Stopped;
        if (!NextRead()) return Flow::Broken;  // the input ended before the stream
        if (!StartPiece(out_)) return Flow::Broken;
    }
    return Flow::Go;
}

Flow OutputPieces::BeforeOutput(std::uint64_t end, std::uint64_t taken)
{
    if (pending_) {
        // The output that follows decoded well: zlib's call ends with the full room.
        pending_ = false;
        if (!Hand(pieceStart_, roomEnd_, false)) return Flow::Stopped;
        if (!StartPiece(roomEnd_)) return Flow::Broken;
        if (end <= limitBits_) ReadIfAllTaken(taken);
    }
    return CutForInput(end);
}

Flow OutputPieces::AfterOutput()
{
    while (out_ >= roomEnd_) {
        if (out_ == roomEnd_) {
            // Full at an end of what was decoded: zlib's call reads on to the
            // next output, so the piece waits for that to decode well.
            pending_ = true;
            return Flow::Go;
        }
        // Full in the middle of a copy: zlib's call ends here.
        if (!Hand(pieceStart_, roomEnd_, false)) return Flow::Stopped;
        if (!StartPiece(roomEnd_)) return Flow::Broken;
        ReadIfAllTaken(input_.Position());
    }
    return Flow::Go;
}

Flow OutputPieces::End(std::uint64_t end)
{
    if (pending_) {
        pending_ = false;
        // The end within the read: one call returns the full piece and the end.
        if (end <= limitBits_) return Hand(pieceStart_, roomEnd_, true) ? Flow::Go : Flow::Stopped;
        if (!Hand(pieceStart_, roomEnd_, false)) return Flow::Stopped;
        if (!StartPiece(roomEnd_)) return Flow::Broken;
    }
    const Flow flow = CutForInput(end);
    if (flow != Flow::Go) return flow;
    return Hand(pieceStart_, out_, true) ? Flow::Go : Flow::Stopped;
}

}  // namespace ql::zip

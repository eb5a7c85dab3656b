#include "archive/decode_output.h"

#include <algorithm>

#include <zlib.h>

#include "archive/zip_errors.h"

namespace ql::zip {

namespace {

// The output's pages are made present this far ahead of what is written, many
// in one call rather than a fault each, and never far beyond what the entry
// really holds (its declared size is outside input).
constexpr std::size_t PopulateAhead = std::size_t{16} << 20;

}  // namespace

DecodeOutput::DecodeOutput(platform::LargeBuffer& out, std::size_t capacity, std::uint64_t declared,
                           DecodeWatcher& watcher)
        : out_(out), capacity_(capacity), declared_(declared), watcher_(watcher),
          crc_(static_cast<std::uint32_t>(crc32_z(0, nullptr, 0)))
{
    out_ = platform::LargeBuffer(capacity);
}

DecodeOutput::Room DecodeOutput::Next(std::size_t chunk)
{
    Hand();
    const std::uint64_t left = capacity_ - produced_;
    const std::size_t size = left >= chunk ? chunk : static_cast<std::size_t>(left);
    if (kept_ && !wanted_) {
        // Not wanted any more: the buffer's pages go back to the system now.
        out_ = platform::LargeBuffer();
        kept_ = false;
    }
    roomTaken_ = 0;
    if (!kept_) {
        if (scratch_.size() < size) scratch_.resize(size);
        room_ = scratch_.data();
        return {room_, size};
    }
    if (produced_ + size > populated_) {
        populated_ = std::min<std::uint64_t>(produced_ + size + PopulateAhead, capacity_);
        out_.Populate(static_cast<std::size_t>(populated_));
    }
    room_ = out_.Data() + produced_;
    return {room_, size};
}

void DecodeOutput::Took(std::size_t made)
{
    const char* at = room_ + roomTaken_;
    roomTaken_ += made;
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, reinterpret_cast<const Bytef*>(at), made));
    produced_ += made;
    if (kept_) out_.SetSize(static_cast<std::size_t>(produced_));
    if (produced_ > declared_) ThrowCheckFailed();  // more than the entry claims
    piece_ = at;
    pieceSize_ = made;
}

void DecodeOutput::Hand()
{
    if (!piece_) return;
    const bool wanted = watcher_.OnPiece(piece_, pieceSize_);
    wanted_ = wanted_ && wanted;
    piece_ = nullptr;
}

}  // namespace ql::zip

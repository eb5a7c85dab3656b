#pragma once
// Where an entry's decoded bytes go: the output buffer while they are wanted,
// else one reused scratch piece, the bytes only watched and checked there.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/zip_decode.h"
#include "platform/platform.h"

namespace ql::zip {

class DecodeOutput {
public:
    // `capacity`: the most bytes the entry may produce and one more (an
    // entry longer than it claims shows at once); `declared`: its size.
    DecodeOutput(platform::LargeBuffer& out, std::size_t capacity, std::uint64_t declared, DecodeWatcher& watcher);

    // Where the next piece of at most `chunk` bytes goes; its size is 0 when
    // the entry produced all the bytes it may. Once the watcher no longer
    // wants the bytes, the output buffer is released here and the room is in
    // the scratch piece.
    struct Room {
        char* At;
        std::size_t Size;
    };
    Room Next(std::size_t chunk);

    // The `made` bytes just written into the room: into the CRC-32 and the
    // count; throws the check error when the entry produced more than it declares.
    void Took(std::size_t made);

    // Hands the piece last taken, checked, to the watcher (once).
    void Hand();

    std::uint64_t Produced() const { return produced_; }
    std::uint32_t Crc() const { return crc_; }
    // The watcher's answers so far: whether it still wants the bytes.
    bool Wanted() const { return wanted_; }
    // Whether every byte was kept in the output buffer.
    bool Kept() const { return kept_; }

private:
    platform::LargeBuffer& out_;
    std::size_t capacity_;
    std::uint64_t declared_;
    DecodeWatcher& watcher_;
    std::vector<char> scratch_;
    std::uint64_t produced_ = 0;
    std::uint64_t populated_ = 0;  // bytes of the output buffer whose pages are present
    std::uint32_t crc_;
    char* room_ = nullptr;  // the room Next() gave
    std::size_t roomTaken_ = 0;  // bytes of it taken so far
    const char* piece_ = nullptr;  // the piece last taken, not yet handed on
    std::size_t pieceSize_ = 0;
    bool kept_ = true;
    bool wanted_ = true;  // the watcher's last answer
};

}  // namespace ql::zip

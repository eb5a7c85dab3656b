#pragma once
// The repaired size of a text that arrives in pieces (an archive entry being
// inflated), counted as it comes without keeping it.

#include <cstddef>
#include <cstdint>

namespace ql {

// Counts the repaired size of a whole text (every stray byte two more) piece by piece: a
// sequence split between two pieces counts as it does in one text. The last
// few bytes of a piece, which may begin a sequence that the next piece ends,
// wait for that piece (or for the end).
class RepairedSizeCounter {
public:
    void Add(const char* data, std::size_t n);

    // Bytes handed in so far.
    std::uint64_t Bytes() const { return bytes_; }
    // The repaired size of what has been decided: every byte handed in, two
    // more for each stray byte found so far. Never more than Total().
    std::uint64_t SoFar() const { return bytes_ + 2 * stray_; }
    // The repaired size of the whole text, the bytes handed in being all of it.
    std::uint64_t Total() const;

private:
    std::uint64_t bytes_ = 0;
    std::uint64_t stray_ = 0;  // bytes decided to be outside any valid sequence
    unsigned char held_[3] = {};  // the undecided last bytes
    std::size_t heldCount_ = 0;
};

}  // namespace ql

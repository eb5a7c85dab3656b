#pragma once
// Pieces of output passed from the thread that decodes them to the one that
// counts them, copied into a few buffers that are used over and over.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace ql::zip {

class PieceQueue {
public:
    // `slots` buffers of `slotSize` bytes, the most a piece may have.
    PieceQueue(std::size_t slots, std::size_t slotSize);

    // The decoding side: copies the piece into a free buffer, waiting for
    // one; false once the counting side closed the queue.
    bool Push(const char* data, std::size_t n);
    // The decoding side: no more pieces.
    void Finish();

    // The counting side: the oldest piece (it stays put until Pop()); none
    // once the decoding side finished and every piece was taken.
    std::optional<std::string_view> Front();
    void Pop();
    // The counting side: takes no more; Push() returns false from now on.
    void Close();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<char>> slots_;
    std::vector<std::size_t> sizes_;
    std::size_t first_ = 0;  // the oldest piece's slot
    std::size_t count_ = 0;  // pieces waiting
    bool finished_ = false;
    bool closed_ = false;
};

}  // namespace ql::zip

#include "archive/piece_queue.h"

#include <cstring>

namespace ql::zip {

PieceQueue::PieceQueue(std::size_t slots, std::size_t slotSize)
        : slots_(slots, std::vector<char>(slotSize)), sizes_(slots, 0)
{
}

bool PieceQueue::Push(const char* data, std::size_t n)
{
    std::size_t slot;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return count_ < slots_.size() || closed_; });
        if (closed_) return false;
        slot = (first_ + count_) % slots_.size();
    }
    // Nobody else touches a free slot.
    std::memcpy(slots_[slot].data(), data, n);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sizes_[slot] = n;
        ++count_;
    }
    changed_.notify_all();
    return true;
}

void PieceQueue::Finish()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

std::optional<std::string_view> PieceQueue::Front()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return count_ > 0 || finished_; });
    if (count_ == 0) return std::nullopt;
    return std::string_view(slots_[first_].data(), sizes_[first_]);
}

void PieceQueue::Pop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        first_ = (first_ + 1) % slots_.size();
        --count_;
    }
    changed_.notify_all();
}

void PieceQueue::Close()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace ql::zip

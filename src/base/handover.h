#pragma once
// Items made on a thread beside, handed to the thread that uses them in
// batches, in the order they were made, while the rest are still being made.
// A batch the user is done with goes back to the maker with its memory, so a
// long run of batches allocates only a few.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace ql {

template <typename T>
class Handover {
public:
    explicit Handover(std::size_t batchSize) : batchSize_(batchSize) {}

    // The maker's side: adds an item; a full batch goes to the user at once.
    void Add(T&& item)
    {
        if (filling_.capacity() == 0) StartBatch();
        filling_.push_back(std::move(item));
        if (filling_.size() == batchSize_) Send();
    }
    // The maker is done: what is left goes too, and the user's Take ends after it.
    // Whatever the maker wrote before is seen by the user once Take has ended.
    void Close()
    {
        if (!filling_.empty()) Send();
        const std::lock_guard lock(mutex_);
        closed_ = true;
        ready_changed_.notify_one();
    }

    // The user's side: the next batch, waiting for it; false once the maker
    // has closed and every batch was taken.
    bool Take(std::vector<T>& batch)
    {
        std::unique_lock lock(mutex_);
        ready_changed_.wait(lock, [&] { return !ready_.empty() || closed_; });
        if (ready_.empty()) return false;
        batch = std::move(ready_.front());
        ready_.pop_front();
        return true;
    }
    // A batch taken and used: emptied here, and filled again by the maker.
    void GiveBack(std::vector<T>&& batch)
    {
        batch.clear();
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(batch));
    }

private:
    void StartBatch()
    {
        {
            const std::lock_guard lock(mutex_);
            if (!spare_.empty()) {
                filling_ = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        filling_.reserve(batchSize_);
    }
    void Send()
    {
        const std::lock_guard lock(mutex_);
        ready_.push_back(std::move(filling_));
        filling_ = {};
        ready_changed_.notify_one();
    }

    const std::size_t batchSize_;
    std::vector<T> filling_;  // the maker's own
    std::mutex mutex_;
    std::condition_variable ready_changed_;
    std::deque<std::vector<T>> ready_;
    std::vector<std::vector<T>> spare_;
    bool closed_ = false;
};

}  // namespace ql

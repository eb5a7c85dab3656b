#include "scan/placemark_files_beside.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "platform/platform.h"

namespace ql {

PlacemarkFilesBeside::PlacemarkFilesBeside(std::string folder, std::vector<std::string> stale,
                                           std::vector<std::string> names, std::vector<std::string> texts,
                                           Finished finished)
        : folder_(std::move(folder)), stale_(std::move(stale)), names_(std::move(names)), texts_(std::move(texts)),
          finished_(std::move(finished)), states_(names_.size(), FileState::Pending)
{
    texts_.resize(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i) index_.emplace(names_[i], i);
    worker_.emplace([this] { Run(); });
}

PlacemarkFilesBeside::~PlacemarkFilesBeside()
{
    Stop();
}

void PlacemarkFilesBeside::Stop()
{
    stop_.Cancel();
    try {
        if (worker_) worker_->Wait();
    } catch (...) {
        // A write's error after a stop tells nobody anything.
    }
}

void PlacemarkFilesBeside::Wait()
{
    worker_->Wait();
    std::lock_guard lock(mutex_);
    if (failure_) std::rethrow_exception(failure_);
}

std::size_t PlacemarkFilesBeside::WrittenCount() const
{
    std::lock_guard lock(mutex_);
    return written_;
}

bool PlacemarkFilesBeside::TakeInHand(std::size_t i, std::unique_lock<std::mutex>& lock)
{
    changed_.wait(lock, [&] { return states_[i] != FileState::InHand; });
    if (states_[i] != FileState::Pending) return false;
    states_[i] = FileState::InHand;
    return true;
}

void PlacemarkFilesBeside::WriteOne(std::size_t i)
{
    const std::string path = folder_ + names_[i];
    // Under a name of its own first: a stop or a crash never leaves a file
    // that looks whole and is not.
    const std::string part = path + ".part";
    std::exception_ptr failure;
    try {
        platform::WriteWholeFile(part, texts_[i]);
        platform::RenameReplacing(part, path);
    } catch (...) {
        failure = std::current_exception();
        platform::DeleteFileQuietly(part);
    }
    {
        std::lock_guard lock(mutex_);
        if (failure) {
            states_[i] = FileState::Failed;
            if (!failure_) failure_ = failure;
        } else {
            states_[i] = FileState::Written;
            ++written_;
        }
    }
    changed_.notify_all();
    if (failure) std::rethrow_exception(failure);
}

bool PlacemarkFilesBeside::EnsureWritten(std::string_view fileName)
{
    const auto found = index_.find(fileName);
    if (found == index_.end()) return false;
    const std::size_t i = found->second;
    {
        std::unique_lock lock(mutex_);
        if (!TakeInHand(i, lock)) {
            // Written, and still there (nobody cleaned the folder meanwhile).
            if (states_[i] == FileState::Written && platform::FileExists(folder_ + names_[i])) return true;
            lock.unlock();
        } else {
            lock.unlock();
            WriteOne(i);
            return true;
        }
    }
    // It failed before, or is gone: one more try, on the caller's behalf.
    {
        std::lock_guard lock(mutex_);
        states_[i] = FileState::InHand;
    }
    WriteOne(i);
    return true;
}

void PlacemarkFilesBeside::Run()
{
    // The previous scan's files this one does not name again.
    const std::unordered_set<std::string_view> now(names_.begin(), names_.end());
    for (const std::string& name : stale_) {
        if (stop_.IsCancelled()) return;
        if (now.contains(name)) continue;
        // Letter case aside, the same file on Windows: written over, not stale.
        if (std::any_of(names_.begin(), names_.end(),
                        [&](const std::string& other) { return platform::SameFileName(name, other); }))
            continue;
        const std::string path = folder_ + name;
        if (platform::FileExists(path)) platform::DeleteFileQuietly(path);
    }
    std::exception_ptr failure;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (stop_.IsCancelled()) return;
        {
            std::unique_lock lock(mutex_);
            if (failure_) break;  // nothing after the first failure
            if (!TakeInHand(i, lock)) continue;
        }
        try {
            WriteOne(i);
        } catch (...) {
            failure = std::current_exception();
            break;
        }
    }
    if (finished_ && !stop_.IsCancelled()) {
        {
            std::lock_guard lock(mutex_);
            failure = failure_;
        }
        finished_(failure);
    }
}

}  // namespace ql

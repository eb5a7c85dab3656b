#pragma once
// The placemark files of a scan that left them for later (ScanSource::
// FilesLater), written on a thread of their own once the list shows. A link
// followed before its file is there writes that file at once. A stop ends
// the work after the file in hand; no file is ever left half written (each
// is written under a temporary name and renamed).

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/cancel.h"
#include "platform/task_beside.h"

namespace ql {

class PlacemarkFilesBeside {
public:
    // Called on the writing thread when every file is written, or with the
    // first write's error; not called after a stop.
    using Finished = std::function<void(std::exception_ptr failure)>;

    // Starts at once in `folder` (ending with the separator): first deletes
    // the files of `stale` that `names` does not name (the previous scan's),
    // then writes the file of each name with the text beside it, in order.
    // After a failed write no later file is written.
    PlacemarkFilesBeside(std::string folder, std::vector<std::string> stale, std::vector<std::string> names,
                         std::vector<std::string> texts, Finished finished = {});
    ~PlacemarkFilesBeside();  // stops and waits
    PlacemarkFilesBeside(const PlacemarkFilesBeside&) = delete;
    PlacemarkFilesBeside& operator=(const PlacemarkFilesBeside&) = delete;

    // Stops after the file in hand and waits for the thread.
    void Stop();
    // Waits for the thread; throws the first write's error.
    void Wait();

    // Makes sure the named file exists: writes it now when it is still to be
    // written (or was written and is gone), waits when it is being written.
    // Throws the write's error.
    // False for a name that is not one of these files.
    bool EnsureWritten(std::string_view fileName);

    // Writes done so far (a file written again counts again).
    std::size_t WrittenCount() const;

private:
    enum class FileState { Pending, InHand, Written, Failed };

    void Run();
    // Writes file i; the caller has marked it InHand.
    void WriteOne(std::size_t i);
    // Takes file i in hand unless another has; waits while another has it.
    // True when the caller is now to write it.
    bool TakeInHand(std::size_t i, std::unique_lock<std::mutex>& lock);

    std::string folder_;
    std::vector<std::string> stale_;
    std::vector<std::string> names_;
    std::vector<std::string> texts_;
    std::unordered_map<std::string_view, std::size_t> index_;
    Finished finished_;
    CancelToken stop_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FileState> states_;
    std::size_t written_ = 0;
    std::exception_ptr failure_;  // the first write's error, under the mutex

    std::optional<TaskBeside> worker_;  // last: started when all above exists
};

}  // namespace ql

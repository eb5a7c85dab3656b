#include "platform/task_beside.h"

#include <system_error>
#include <utility>

#include "platform/platform.h"

namespace ql {

TaskBeside::TaskBeside(std::function<void()> task) : task_(std::move(task))
{
    try {
        thread_ = std::thread([this] {
            {
                std::unique_lock lock(placement_);
                placed_changed_.wait(lock, [&] { return placed_; });
            }
            platform::AllowEveryProcessor();
            Run();
        });
        // Both work at once from the start: the caller does its own share.
        platform::RunOnAnotherProcessor(thread_);
        {
            const std::lock_guard lock(placement_);
            placed_ = true;
        }
        placed_changed_.notify_one();
    } catch (const std::system_error&) {
        // No thread to be had: Wait() runs the task.
    }
}

TaskBeside::~TaskBeside()
{
    if (thread_.joinable()) thread_.join();
}

void TaskBeside::Run() noexcept
{
    try {
        task_();
    } catch (...) {
        failure_ = std::current_exception();
    }
}

void TaskBeside::Wait()
{
    if (!done_) {
        if (thread_.joinable()) thread_.join();
        else Run();
        done_ = true;
    }
    if (failure_) std::rethrow_exception(failure_);
}

}  // namespace ql

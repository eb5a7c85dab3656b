#pragma once
// A task run on a second thread while the caller does its own share.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace ql {

// Starts the task on a thread of its own. Wait() joins it and throws what the
// task threw; the destructor joins it in every other path (an exception of the
// caller's own share), dropping what the task threw. Where the system has no
// thread to give, the task runs on the caller's thread in Wait(), and not at
// all when Wait() is never reached, so results are the same either way as long
// as the caller's share does not wait for the task.
class TaskBeside {
public:
    explicit TaskBeside(std::function<void()> task);
    ~TaskBeside();
    TaskBeside(const TaskBeside&) = delete;
    TaskBeside& operator=(const TaskBeside&) = delete;

    // Waits for the task (or runs it, see above); throws what it threw. A
    // second call only throws again.
    void Wait();

private:
    void Run() noexcept;

    std::function<void()> task_;
    std::exception_ptr failure_;
    std::thread thread_;
    bool done_ = false;
    // The thread waits for its placement before it runs. (A mutex, not an
    // atomic wait: GCC 12's atomic wait can miss a wake-up on Windows.)
    std::mutex placement_;
    std::condition_variable placed_changed_;
    bool placed_ = false;
};

}  // namespace ql

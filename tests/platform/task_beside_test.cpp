#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

#include "platform/task_beside.h"
#include "base/user_error.h"

namespace ql {
namespace {

TEST(TaskBeside, RunsOnAnotherThreadAndIsDoneAfterWait)
{
    std::thread::id ranOn;
    int result = 0;
    TaskBeside task([&] {
        ranOn = std::this_thread::get_id();
        result = 42;
    });
    task.Wait();
    EXPECT_EQ(result, 42);
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(TaskBeside, WaitThrowsWhatTheTaskThrewEveryTime)
{
    TaskBeside task([] { throw UserError("Fehler im Nebenlauf"); });
    for (int call = 0; call < 2; ++call) {
        try {
            task.Wait();
            FAIL() << "no error";
        } catch (const UserError& e) {
            EXPECT_STREQ(e.what(), "Fehler im Nebenlauf");
        }
    }
}

TEST(TaskBeside, AFailureOfTheCallersShareStillJoinsTheTask)
{
    std::atomic<bool> finished{false};
    std::atomic<bool> release{false};
    try {
        TaskBeside task([&] {
            while (!release.load()) std::this_thread::yield();
            finished = true;
        });
        release = true;
        throw std::runtime_error("caller's share");
    } catch (const std::runtime_error&) {
        // The task was joined before the error left the block.
        EXPECT_TRUE(finished.load());
    }
}

TEST(TaskBeside, AnErrorOfTheTaskNotWaitedForStaysInside)
{
    EXPECT_NO_THROW({ TaskBeside task([] { throw std::runtime_error("dropped"); }); });
}

#ifdef __linux__
// The thread is started away from its maker's processor, but once it runs it
// may use every processor again: it is kept from none for the rest of its work.
TEST(TaskBeside, TheTaskMayRunOnEveryProcessorOfTheProcess)
{
    cpu_set_t process;
    ASSERT_EQ(::sched_getaffinity(0, sizeof process, &process), 0);
    for (int round = 0; round < 20; ++round) {
        cpu_set_t seen;
        CPU_ZERO(&seen);
        TaskBeside task([&] { ::pthread_getaffinity_np(::pthread_self(), sizeof seen, &seen); });
        task.Wait();
        EXPECT_TRUE(CPU_EQUAL(&seen, &process)) << "round " << round;
    }
}
#endif

}  // namespace
}  // namespace ql

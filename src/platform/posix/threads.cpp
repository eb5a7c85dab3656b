// Placing a new thread on a processor of its own (Linux).

#include "platform/platform.h"

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace ql::platform {

#ifdef __linux__
namespace {

// The processors the process may use, as at its start.
const cpu_set_t& ProcessProcessors()
{
    static const cpu_set_t processors = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        if (::sched_getaffinity(0, sizeof set, &set) != 0) CPU_ZERO(&set);
        return set;
    }();
    return processors;
}

}  // namespace

void RunOnAnotherProcessor(std::thread& thread)
{
    cpu_set_t others = ProcessProcessors();
    const int mine = ::sched_getcpu();
    if (mine < 0 || mine >= CPU_SETSIZE || !CPU_ISSET(mine, &others)) return;
    CPU_CLR(mine, &others);
    if (CPU_COUNT(&others) == 0) return;
    // Advice only: where it fails the thread runs where the system puts it.
    ::pthread_setaffinity_np(thread.native_handle(), sizeof others, &others);
}

void AllowEveryProcessor()
{
    const cpu_set_t& all = ProcessProcessors();
    if (CPU_COUNT(&all) > 0) ::pthread_setaffinity_np(::pthread_self(), sizeof all, &all);
}
#else
void RunOnAnotherProcessor(std::thread&) {}
void AllowEveryProcessor() {}
#endif

}  // namespace ql::platform

#include "platform/linux/linux_timing.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <cerrno>

namespace {
// Without CAP_SYS_NICE both calls fail with EPERM; the measurement then runs
// at the priority it has.
void raiseAsFarAsPermitted()
{
    setpriority(PRIO_PROCESS, 0, -20);
    sched_param realtime{};
    realtime.sched_priority = sched_get_priority_max(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
}
}  // namespace

int64_t LinuxTiming::perfCounter()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return static_cast<int64_t>(now.tv_sec) * kPerfFrequency + now.tv_nsec;
}

SavedPriority LinuxTiming::raisePriority()
{
    const int nice = getpriority(PRIO_PROCESS, 0);
    int policy = SCHED_OTHER;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &policy, &param);
    const SavedPriority saved{nice, (policy & 0xFF) << 8 | (param.sched_priority & 0xFF)};
    raiseAsFarAsPermitted();
    return saved;
}

// Lowering a priority needs no privilege, so the restore always succeeds.
void LinuxTiming::restorePriority(const SavedPriority& saved)
{
    sched_param param{};
    param.sched_priority = saved.threadPriority & 0xFF;
    pthread_setschedparam(pthread_self(), saved.threadPriority >> 8 & 0xFF, &param);
    setpriority(PRIO_PROCESS, 0, saved.processClass);
}

void LinuxTiming::sleepMs(uint32_t milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

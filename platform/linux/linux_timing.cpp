#include "platform/linux/linux_timing.h"

#include <pthread.h>
#include <sched.h>
#include <sys/io.h>
#include <sys/resource.h>
#include <time.h>

#include <cerrno>
#include <fstream>
#include <utility>

#include "platform/x86/port_instructions.h"

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

TimeBase LinuxTiming::timeBase()
{
    if (!chosen_) {
        chosen_ = true;
        pmPort_ = findPmTimerPort(fadtPath_.c_str());
        // The port instruction needs port access: the raw back end has it
        // already; where the kernel refuses it (lockdown) the timer is out
        // of reach.
        const bool readable = pmPort_ != 0 && iopl(3) == 0;
        std::string clocksource;
        std::ifstream(clocksourcePath_) >> clocksource;
        base_ = chooseTimeBase(readable, clocksource);
    }
    return base_;
}

int64_t LinuxTiming::perfFrequency()
{
    switch (timeBase()) {
    case TimeBase::PmTimer: return kPmTimerHz;
    case TimeBase::KernelClock: return kNanosecondsPerSecond;
    case TimeBase::None: break;
    }
    return 0;
}

int64_t LinuxTiming::perfCounter()
{
    switch (timeBase()) {
    case TimeBase::PmTimer: return pmCount_.extend(portInDword(pmPort_));
    case TimeBase::KernelClock: {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC_RAW, &now);
        return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
    }
    case TimeBase::None: break;
    }
    return 0;
}

SavedPriority LinuxTiming::raisePriority()
{
    pinned_ = sched_getaffinity(0, sizeof affinity_, &affinity_) == 0;
    const int cpu = sched_getcpu();
    if (pinned_ && cpu >= 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        sched_setaffinity(0, sizeof one, &one);
    }
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
    if (pinned_) sched_setaffinity(0, sizeof affinity_, &affinity_);
    pinned_ = false;
}

void LinuxTiming::sleepMs(uint32_t milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

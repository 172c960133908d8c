// Time on Linux: the core clock's measurement counts against a counter the
// FSB does not move (the ACPI PM timer, or the kernel's clock when it does
// not follow the time-stamp counter); scheduling raised where permitted and
// the measurement kept on one processor; nanosleep.
#pragma once

#include <sched.h>

#include <string>

#include "platform/linux/pm_timer.h"
#include "platform/platform.h"

class LinuxTiming final : public Timing {
public:
    static constexpr int64_t kNanosecondsPerSecond = 1000000000;

    // Where the firmware's FADT and the kernel's clocksource are read.
    explicit LinuxTiming(std::string fadtPath = kFadtPath, std::string clocksourcePath = kClocksourcePath)
        : fadtPath_(std::move(fadtPath)), clocksourcePath_(std::move(clocksourcePath))
    {
    }

    // The time base is chosen at the first call; 0 when there is none.
    int64_t perfFrequency() override;
    int64_t perfCounter() override;
    TimeBase timeBase();
    // processClass holds the nice value, threadPriority the scheduling
    // policy (bits 15..8) and its static priority (bits 7..0). The thread
    // stays on the processor it runs on until the restore: each processor
    // has its own time-stamp counter.
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    void sleepMs(uint32_t milliseconds) override;
    // nanosleep keeps its own length already.
    void beginPreciseSleeps() override {}
    void endPreciseSleeps() override {}

private:
    std::string fadtPath_;
    std::string clocksourcePath_;
    bool chosen_ = false;
    TimeBase base_ = TimeBase::None;
    uint16_t pmPort_ = 0;
    PmTimerCount pmCount_;
    cpu_set_t affinity_{};
    bool pinned_ = false;
};

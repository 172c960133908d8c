// Time on Linux: CLOCK_MONOTONIC_RAW in nanoseconds as the performance
// counter, scheduling priority raised where permitted, nanosleep.
#pragma once

#include "platform/platform.h"

class LinuxTiming final : public Timing {
public:
    static constexpr int64_t kPerfFrequency = 1000000000;  // nanoseconds

    int64_t perfFrequency() override { return kPerfFrequency; }
    int64_t perfCounter() override;
    // processClass holds the nice value, threadPriority the scheduling
    // policy (bits 15..8) and its static priority (bits 7..0).
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    void sleepMs(uint32_t milliseconds) override;
    // nanosleep keeps its own length already.
    void beginPreciseSleeps() override {}
    void endPreciseSleeps() override {}
};

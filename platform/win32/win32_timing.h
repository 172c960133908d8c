// Time on Windows: the performance counter, process and thread priorities,
// and Sleep.
#pragma once

#include "platform/platform.h"

class Win32Timing final : public Timing {
public:
    int64_t perfFrequency() override;
    int64_t perfCounter() override;
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    void sleepMs(uint32_t milliseconds) override;
    // 1 ms timer resolution through the multimedia timer, which NT 4.0 and
    // 98 have.
    void beginPreciseSleeps() override;
    void endPreciseSleeps() override;
};

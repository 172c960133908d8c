#include "platform/linux/pm_timer.h"

#include <fstream>
#include <iterator>

namespace {
constexpr size_t kPmTimerBlockAt = 76;  // PM_TMR_BLK, a 32-bit I/O port number
constexpr uint32_t kCountMask = 0xFFFFFF;
}  // namespace

uint16_t pmTimerPortOf(const std::string& fadt)
{
    if (fadt.size() < kPmTimerBlockAt + 4 || fadt.compare(0, 4, "FACP") != 0) return 0;
    uint32_t port = 0;
    for (size_t i = 0; i < 4; ++i) port |= uint32_t{static_cast<uint8_t>(fadt[kPmTimerBlockAt + i])} << (8 * i);
    // A port number the x86 I/O space cannot hold is none.
    return port <= 0xFFFC ? static_cast<uint16_t>(port) : 0;
}

uint16_t findPmTimerPort(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string fadt{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return pmTimerPortOf(fadt);
}

int64_t PmTimerCount::extend(uint32_t reading)
{
    // Only 24 bits are sure to count; a 32-bit timer's upper byte is left out.
    reading &= kCountMask;
    if (started_) total_ += (reading - last_) & kCountMask;
    started_ = true;
    last_ = reading;
    return total_;
}

TimeBase chooseTimeBase(bool pmTimerReadable, const std::string& clocksource)
{
    if (pmTimerReadable) return TimeBase::PmTimer;
    return clocksource.rfind("tsc", 0) == 0 || clocksource.empty() ? TimeBase::None : TimeBase::KernelClock;
}

#include "ident/core_clock.h"

#include "ident/cpu_info.h"
#include "platform/platform.h"

namespace {
// A fixed stretch of serialising instructions; short enough that neither
// counter's low 32 bits can wrap twice.
constexpr uint32_t kCpuidLoops = 200000;
constexpr float kMicro = 1e-6f;
// No processor this program identifies runs outside these clocks; a
// counter that jumped (another processor's time-stamp counter, a virtual
// machine's pause) gives values far outside them.
constexpr long double kSlowestMhz = 20.0L;
constexpr long double kFastestMhz = 10000.0L;

struct Readings {
    int64_t frequency;
    int64_t counterStart, counterEnd;
    uint64_t tscStart, tscEnd;
};

Readings timeTheLoop()
{
    Processor& cpu = platformProcessor();
    Timing& timing = platformTiming();
    Readings r{};
    const SavedPriority saved = timing.raisePriority();
    r.frequency = timing.perfFrequency();
    // Counter first, then TSC, at both ends: both bracket the same loop.
    r.counterStart = timing.perfCounter();
    r.tscStart = cpu.readTsc();
    for (uint32_t i = 0; i < kCpuidLoops; ++i) cpu.cpuid(0);
    r.counterEnd = timing.perfCounter();
    r.tscEnd = cpu.readTsc();
    timing.restorePriority(saved);
    return r;
}
}  // namespace

bool measureCoreClock()
{
    const Readings r = timeTheLoop();
    const uint32_t frequency = static_cast<uint32_t>(r.frequency);
    const float ticksPerMicrosecond = static_cast<float>(static_cast<long double>(frequency) * kMicro);
    const uint32_t tscDelta = static_cast<uint32_t>(r.tscEnd) - static_cast<uint32_t>(r.tscStart);
    const int32_t counterDelta =
        static_cast<int32_t>(static_cast<uint32_t>(r.counterEnd) - static_cast<uint32_t>(r.counterStart));
    // Without a performance counter there is no interval to divide by.
    if (frequency == 0 || counterDelta <= 0) return false;
    cpuInfo.coreClockMhz =
        static_cast<float>(static_cast<long double>(tscDelta) * ticksPerMicrosecond / counterDelta);
    return true;
}

bool measureCoreClockWide()
{
    const Readings r = timeTheLoop();
    const int64_t counterDelta = r.counterEnd - r.counterStart;
    if (r.frequency <= 0 || counterDelta <= 0 || r.tscEnd <= r.tscStart) {
        cpuInfo.coreClockMhz = 0.0f;
        return false;
    }
    // Ticks per microsecond: TSC ticks / (counter ticks / frequency) / 1e6.
    const long double seconds = static_cast<long double>(counterDelta) / static_cast<long double>(r.frequency);
    const long double mhz = static_cast<long double>(r.tscEnd - r.tscStart) / seconds / 1e6L;
    const bool plausible = mhz >= kSlowestMhz && mhz <= kFastestMhz;
    cpuInfo.coreClockMhz = plausible ? static_cast<float>(mhz) : 0.0f;
    return plausible;
}

#include "ident/core_clock.h"

#include "ident/cpu_info.h"
#include "platform/platform.h"

namespace {
// A fixed stretch of serialising instructions; short enough that neither
// counter's low 32 bits can wrap twice.
constexpr uint32_t kCpuidLoops = 200000;
constexpr float kMicro = 1e-6f;
}  // namespace

void measureCoreClock()
{
    Processor& cpu = platformProcessor();
    Timing& timing = platformTiming();

    const SavedPriority saved = timing.raisePriority();
    const uint32_t frequency = static_cast<uint32_t>(timing.perfFrequency());
    const float ticksPerMicrosecond = static_cast<float>(static_cast<long double>(frequency) * kMicro);

    // Counter first, then TSC, at both ends: both bracket the same loop.
    const int64_t counterStart = timing.perfCounter();
    const uint32_t tscStart = static_cast<uint32_t>(cpu.readTsc());
    for (uint32_t i = 0; i < kCpuidLoops; ++i) cpu.cpuid(0);
    const int64_t counterEnd = timing.perfCounter();
    const uint32_t tscEnd = static_cast<uint32_t>(cpu.readTsc());
    timing.restorePriority(saved);

    const uint32_t tscDelta = tscEnd - tscStart;
    const int32_t counterDelta =
        static_cast<int32_t>(static_cast<uint32_t>(counterEnd) - static_cast<uint32_t>(counterStart));
    // Without a performance counter there is no interval to divide by.
    if (frequency == 0 || counterDelta <= 0) return;
    cpuInfo.coreClockMhz =
        static_cast<float>(static_cast<long double>(tscDelta) * ticksPerMicrosecond / counterDelta);
}

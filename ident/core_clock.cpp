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

// Where a bracketed end may stop looking: both counter readings within
// 50 microseconds, or the closest of this many tries.
constexpr int64_t kTightPartsPerSecond = 20000;
constexpr int kBracketTries = 5;

struct Sample {
    int64_t counter;
    uint64_t tsc;
};

struct Readings {
    int64_t frequency;
    Sample start, end;
};

// Counter first, then TSC, at both ends: both bracket the same loop.
Sample counterThenTsc(Processor& cpu, Timing& timing, int64_t)
{
    Sample s{};
    s.counter = timing.perfCounter();
    s.tsc = cpu.readTsc();
    return s;
}

// The TSC between two counter readings close together: a processor taken
// away between the two reads (by a virtual machine's host, an interrupt)
// would otherwise widen or narrow the interval by as long as it was gone.
Sample bracketedTsc(Processor& cpu, Timing& timing, int64_t frequency)
{
    Sample best{};
    int64_t bestGap = -1;
    for (int i = 0; i < kBracketTries; ++i) {
        const int64_t before = timing.perfCounter();
        const uint64_t tsc = cpu.readTsc();
        const int64_t gap = timing.perfCounter() - before;
        if (bestGap < 0 || (gap >= 0 && gap < bestGap)) {
            best = Sample{before + gap / 2, tsc};
            bestGap = gap;
        }
        if (gap >= 0 && gap * kTightPartsPerSecond <= frequency) break;
    }
    return best;
}

Readings timeTheLoop(Sample (*readEnd)(Processor&, Timing&, int64_t))
{
    Processor& cpu = platformProcessor();
    Timing& timing = platformTiming();
    Readings r{};
    const SavedPriority saved = timing.raisePriority();
    r.frequency = timing.perfFrequency();
    r.start = readEnd(cpu, timing, r.frequency);
    for (uint32_t i = 0; i < kCpuidLoops; ++i) cpu.cpuid(0);
    r.end = readEnd(cpu, timing, r.frequency);
    timing.restorePriority(saved);
    return r;
}
}  // namespace

bool measureCoreClock()
{
    const Readings r = timeTheLoop(counterThenTsc);
    const uint32_t frequency = static_cast<uint32_t>(r.frequency);
    const float ticksPerMicrosecond = static_cast<float>(static_cast<long double>(frequency) * kMicro);
    const uint32_t tscDelta = static_cast<uint32_t>(r.end.tsc) - static_cast<uint32_t>(r.start.tsc);
    const int32_t counterDelta =
        static_cast<int32_t>(static_cast<uint32_t>(r.end.counter) - static_cast<uint32_t>(r.start.counter));
    // Without a performance counter there is no interval to divide by.
    if (frequency == 0 || counterDelta <= 0) return false;
    cpuInfo.coreClockMhz =
        static_cast<float>(static_cast<long double>(tscDelta) * ticksPerMicrosecond / counterDelta);
    return true;
}

bool measureCoreClockWide()
{
    const Readings r = timeTheLoop(bracketedTsc);
    const int64_t counterDelta = r.end.counter - r.start.counter;
    if (r.frequency <= 0 || counterDelta <= 0 || r.end.tsc <= r.start.tsc) {
        cpuInfo.coreClockMhz = 0.0f;
        return false;
    }
    // Ticks per microsecond: TSC ticks / (counter ticks / frequency) / 1e6.
    const long double seconds = static_cast<long double>(counterDelta) / static_cast<long double>(r.frequency);
    const long double mhz = static_cast<long double>(r.end.tsc - r.start.tsc) / seconds / 1e6L;
    const bool plausible = mhz >= kSlowestMhz && mhz <= kFastestMhz;
    cpuInfo.coreClockMhz = plausible ? static_cast<float>(mhz) : 0.0f;
    return plausible;
}

// The simulated processor on a real clock, as the test program runs it: the
// core clock measured through it is the model's multiplier x the bus clock,
// also with the performance counter far from zero.
#include <gtest/gtest.h>

#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "sim/model_processor.h"
#include "support/recording.h"
#include "support/scripted_cpu.h"

namespace {

TEST(ModelProcessorTest, CoreClockIsMultiplierTimesBusClock)
{
    struct Case {
        sim::CpuKind cpu;
        uint16_t fsbHalfMhz;
        int64_t frequency, counterStart;
        float expectedMhz;
    };
    const Case cases[] = {
        {sim::CpuKind::Northwood, 266, 10000000, 1000, 2394.0f},
        {sim::CpuKind::Willamette, 200, 3579545, 7, 1500.0f},
        {sim::CpuKind::Northwood, 301, 10000000, 4000000000000000000ll, 2709.0f},  // 150.5 MHz, ~12,700 years up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedMhz);
        ScriptedTiming timing;
        sim::ModelProcessor processor(c.cpu, c.fsbHalfMhz, timing);
        RecordingNotifier notifier;
        installPlatform(Platform{nullptr, &processor, &timing, &notifier});
        timing.frequency = c.frequency;
        // 12.5 ms: the loop's own counter readings, each followed by the
        // time-stamp counter's reading of the same instant.
        const int64_t end = c.counterStart + c.frequency / 80;
        timing.counterReadings = {c.counterStart, c.counterStart, end, end};
        cpuInfo = CpuInfo{};
        measureCoreClock();
        EXPECT_FLOAT_EQ(cpuInfo.coreClockMhz, c.expectedMhz);
    }
    cpuInfo = CpuInfo{};
}

}  // namespace

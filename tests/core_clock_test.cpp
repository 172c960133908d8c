// Core clock measurement: exact arithmetic against a scripted processor and
// timer, and the measured clock on the simulated board.
#include <gtest/gtest.h>

#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/pci.h"
#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "support/scripted_cpu.h"
#include "support/sim_fixture.h"

namespace {

struct ClockCase {
    const char* what;
    int64_t frequency;
    int64_t counterStart, counterEnd;
    uint64_t tscStart, tscEnd;
    float expectedMhz;
};

class CoreClockScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cpuInfo = CpuInfo{};
        installPlatform(Platform{nullptr, &cpu, &timing, &notifier});
    }
    void TearDown() override { cpuInfo = CpuInfo{}; }

    void script(int64_t frequency, int64_t counterStart, int64_t counterEnd, uint64_t tscStart, uint64_t tscEnd)
    {
        timing.frequency = frequency;
        timing.counterReadings = {counterStart, counterEnd};
        cpu.tscReadings = {tscStart, tscEnd};
        cpu.tscIndex = 0;
        timing.counterIndex = 0;
    }
    void script(const ClockCase& c) { script(c.frequency, c.counterStart, c.counterEnd, c.tscStart, c.tscEnd); }

    ScriptedProcessor cpu;
    ScriptedTiming timing;
    RecordingNotifier notifier;
};

TEST_F(CoreClockScriptTest, TicksPerMicrosecondTimesTscDeltaOverCounterDelta)
{
    const ClockCase cases[] = {
        {"1 MHz counter", 1000000, 0, 100000, 0, 200000000, 2000.0f},
        {"ACPI timer rate, one count and one tick", 3579545, 7, 8, 40, 41, 3.579545f},
        {"TSC low half wraps", 1000000, 0, 100000, 0x2FFFF0000ull, 0x2FFFF0000ull + 200000000, 2000.0f},
        {"TSC high half ignored", 1000000, 0, 100000, 0x500000000ull, 0x900000000ull + 200000000, 2000.0f},
        {"counter low half wraps", 1000000, 0x1FFFFFFF0ll, 0x1FFFFFFF0ll + 100000, 0, 200000000, 2000.0f},
        {"frequency taken modulo 2^32", 0x100000000ll + 1000000, 0, 100000, 0, 200000000, 2000.0f},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.what);
        script(c);
        measureCoreClock();
        EXPECT_FLOAT_EQ(cpuInfo.coreClockMhz, c.expectedMhz);
    }
}

TEST_F(CoreClockScriptTest, NoUsableIntervalLeavesTheOldValue)
{
    const ClockCase cases[] = {
        {"no performance counter", 0, 0, 100000, 0, 200000000, 0},
        {"frequency's low half zero", 0x100000000ll, 0, 100000, 0, 200000000, 0},
        {"counter did not move", 1000000, 500, 500, 0, 200000000, 0},
        {"counter went backwards", 1000000, 500, 400, 0, 200000000, 0},
        {"low half difference above 2^31", 1000000, 0, 0x80000000ll, 0, 200000000, 0},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.what);
        cpuInfo.coreClockMhz = 2394.5f;
        script(c);
        timing.restored.clear();
        measureCoreClock();
        EXPECT_EQ(cpuInfo.coreClockMhz, 2394.5f);
        EXPECT_EQ(timing.restored.size(), 1u) << "priorities are restored on every path";
    }
}

// The command line's measurement: whole differences, so a loop that took
// 2^32 ticks or more (a slow virtual machine) or a nanosecond counter past
// 2^31 still gives the clock; a failed one gives 0, shown as unknown. Each
// TSC reading lies between two counter readings; here they agree.
TEST_F(CoreClockScriptTest, TheWideMeasurementNeitherWrapsNorShowsAFailure)
{
    const ClockCase cases[] = {
        {"TSC difference above 2^32", 1000000, 0, 3000000, 0, 6000000000ull, 2000.0f},
        {"ns counter past 2^31", 1000000000, 0, 3000000000ll, 0, 6000000000ull, 2000.0f},
        {"no performance counter", 0, 0, 100000, 0, 200000000, 0.0f},
        {"counter did not move", 1000000, 500, 500, 0, 200000000, 0.0f},
        {"TSC did not move", 1000000, 0, 100000, 7, 7, 0.0f},
        {"a TSC that jumped: 2 THz", 1000000, 0, 100000, 0, 200000000000000ull, 0.0f},
        {"a TSC that hardly moved: 10 MHz", 1000000, 0, 100000, 0, 1000000, 0.0f},
        {"the ends of what a processor runs at", 1000000, 0, 100000, 0, 2000000, 20.0f},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.what);
        cpuInfo.coreClockMhz = 2394.5f;
        script(c);
        timing.counterReadings = {c.counterStart, c.counterStart, c.counterEnd, c.counterEnd};
        EXPECT_EQ(measureCoreClockWide(), c.expectedMhz > 0.0f);
        EXPECT_FLOAT_EQ(cpuInfo.coreClockMhz, c.expectedMhz);
    }
}

// A processor taken away between a counter reading and the TSC (here 30 ms
// at the end) would make 200 ms of loop look like 170 ms: that end is read
// again until the two counter readings lie close, and the middle counts.
TEST_F(CoreClockScriptTest, TheWideMeasurementReadsAgainAnEndTakenAway)
{
    script(1000000, 0, 0, 0, 0);
    timing.counterReadings = {0, 0, 170000, 200000, 200010, 200010};
    cpu.tscReadings = {0, 400000000, 400020000};
    EXPECT_TRUE(measureCoreClockWide());
    EXPECT_NEAR(cpuInfo.coreClockMhz, 400020000 / 200010.0, 0.01);
    // None close enough: the closest of five.
    script(1000000, 0, 0, 0, 0);
    timing.counterReadings = {0, 0, 100, 900, 200, 1000, 300, 1100, 400, 1200, 500, 1300};
    cpu.tscReadings = {0, 2000000, 2000001, 2000002, 2000003, 2000004};
    EXPECT_TRUE(measureCoreClockWide());
    EXPECT_NEAR(cpuInfo.coreClockMhz, 2000000 / 500.0, 0.01);
}

TEST_F(CoreClockScriptTest, BothCountersBracketTheLoopAtRaisedPriority)
{
    script(1000000, 0, 100000, 0, 200000000);
    cpu.events = &timing.events;
    measureCoreClock();
    const std::vector<std::string> expected = {"raise", "frequency", "counter", "tsc",
                                               "cpuid", "counter",   "tsc",     "restore"};
    EXPECT_EQ(timing.events, expected);
    EXPECT_EQ(cpu.cpuidCount, 200000u);
    ASSERT_EQ(timing.restored.size(), 1u);
    EXPECT_EQ(timing.restored[0].processClass, 0x8000);
    EXPECT_EQ(timing.restored[0].threadPriority, -1);
}

class CoreClockBoardTest : public SimBoardTest {};

TEST_F(CoreClockBoardTest, MeasuresMultiplierTimesRunningFsb)
{
    measureCoreClock();
    EXPECT_NEAR(cpuInfo.coreClockMhz, 18 * 133.0, 0.1);
    EXPECT_FALSE(machine->timing.priorityRaised());

    useScenario("cpu=willamette fsb=100");
    measureCoreClock();
    EXPECT_NEAR(cpuInfo.coreClockMhz, 15 * 100.0, 0.1);
}

// The clock generator is reprogrammed over SMBus, as "Set New Values" does.
TEST_F(CoreClockBoardTest, FollowsAnFsbChange)
{
    bringUp();
    scanPciBus();
    findSmbusController();
    measureCoreClock();
    const float before = cpuInfo.coreClockMhz;
    ASSERT_EQ(applyClockSetting(150.0f, 4), 1);
    platformTiming().sleepMs(500);
    measureCoreClock();
    EXPECT_NEAR(before, 2394.0, 0.1);
    EXPECT_NEAR(cpuInfo.coreClockMhz, 18 * 150.0, 0.1);
}

}  // namespace

// The window's hardware work on the simulated board, and the system tick
// its sleeps would otherwise wait for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "steps/clock_actions.h"
#include "app/settings_file.h"
#include "app/startup_sequence.h"
#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "support/sim_fixture.h"
#include "support/test_files.h"

namespace {

class SystemTickTest : public SimBoardTest {
protected:
    uint64_t sleepEndsAtUs(uint32_t ms)
    {
        machine->timing.sleepMs(ms);
        return board().clock().nowNs() / 1000;
    }
};

// A sleep ends at the first tick at or after its length; while precise
// sleeps are asked for, after its own length.
TEST_F(SystemTickTest, ASleepEndsAtTheNextTickUnlessPreciseSleepsAreAskedFor)
{
    struct Case {
        const char* tick;
        uint64_t startUs, ms, coarseEndUs;
    };
    const Case cases[] = {
        {"tick=15.625", 1, 1, 15625},  {"tick=15.625", 15625, 1, 31250}, {"tick=15.625", 0, 500, 500000},
        {"tick=15.625", 2, 500, 515625}, {"tick=10", 3, 1, 10000},       {"tick=1", 1, 1, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tick << " from " << c.startUs << " us, " << c.ms << " ms");
        useScenario(c.tick);
        sim::Board fresh;  // a clock from zero
        board().clock() = fresh.clock();
        board().clock().advanceNs(c.startUs * 1000);
        EXPECT_EQ(sleepEndsAtUs(static_cast<uint32_t>(c.ms)), c.coarseEndUs);

        board().clock() = fresh.clock();
        board().clock().advanceNs(c.startUs * 1000);
        machine->timing.beginPreciseSleeps();
        EXPECT_EQ(sleepEndsAtUs(static_cast<uint32_t>(c.ms)), c.startUs + c.ms * 1000);
        machine->timing.endPreciseSleeps();
    }
}

// Every burst gives the timer resolution back, whether its transactions
// went through or failed half-way.
class BurstTimingTest : public SimBoardTest {
protected:
    void SetUp() override
    {
        SimBoardTest::SetUp();
        ASSERT_TRUE(bringUpHardware());
    }
    void TearDown() override
    {
        std::remove(kFile);
        SimBoardTest::TearDown();
    }
    void expectRestoredAfterBursts(const std::string& what)
    {
        EXPECT_GT(machine->timing.preciseRequests(), 0u) << what;
        EXPECT_EQ(machine->timing.preciseDepth(), 0u) << what;
    }
    const std::string file = uniqueTestFile("qz8");
    const char* const kFile = file.c_str();
};

TEST_F(BurstTimingTest, EveryActionGivesThePreciseTimerBack)
{
    for (const char* board : {"tick=15.625", "tick=15.625 fault=nodevice", "tick=15.625 failfrom=20"}) {
        SCOPED_TRACE(board);
        useScenario(board);
        readCurrentValues();
        expectRestoredAfterBursts("Get Current Values");
        programAndSettle(ClockSetting{150.0f, 5}, measureCoreClock);
        expectRestoredAfterBursts("Set New Values");
        currentSetting = ClockSetting{150.0f, 5};
        ASSERT_EQ(writeSettingsFile(kFile), 1);
        runBatchMode((std::string("-file=") + kFile).c_str());
        expectRestoredAfterBursts("batch mode");
    }
}

// The hardware work behind "Set New Values": the chip programmed, the core
// clock measured again at the new bus clock.
TEST_F(BurstTimingTest, ProgrammingSettlesAndMeasuresTheNewCoreClock)
{
    EXPECT_EQ(programAndSettle(ClockSetting{150.0f, 5}, measureCoreClock).end, ProgramEnd::Applied);
    EXPECT_EQ(board().runningFsbHalfMhz(), 300);
    EXPECT_NEAR(cpuInfo.coreClockMhz, 18 * 150.0, 0.1);
    EXPECT_EQ(readCurrentValues(), ReadEnd::Read);
    EXPECT_EQ(currentSetting.fsbMhz, 150.0f);
    EXPECT_EQ(currentSetting.ratioCode, 5);

    useScenario("stuckreg=20");
    EXPECT_EQ(programAndSettle(ClockSetting{150.0f, 5}, measureCoreClock).end, ProgramEnd::RolledBack);
}

// Whether the programming took or went back: the second pause, then the core
// clock at the clock the board now runs; nothing of it when nothing was
// written.
TEST_F(BurstTimingTest, TheCoreClockIsMeasuredAfterTheSecondPause)
{
    struct LastTransaction final : sim::SmbusObserver {
        void onSmbusTransaction(const sim::SmbusTransaction&) override { atNs = clock->nowNs(); }
        const sim::VirtualClock* clock = nullptr;
        uint64_t atNs = 0;
    };
    static sim::Board* measured = nullptr;
    static uint64_t measuredAtNs = 0;
    measured = &board();
    const CoreClockMeasurement measure = [] {
        measuredAtNs = measured->clock().nowNs();
        return true;
    };
    struct Case {
        const char* fault;
        ProgramEnd end;
    };
    for (const Case& c : {Case{"", ProgramEnd::Applied}, Case{"stuckreg=20", ProgramEnd::RolledBack},
                          Case{"fault=nodevice", ProgramEnd::Untouched}}) {
        SCOPED_TRACE(c.fault);
        useScenario(c.fault);
        LastTransaction last;
        last.clock = &board().clock();
        board().setSmbusObserver(&last);
        measuredAtNs = 0;
        EXPECT_EQ(programAndSettle(ClockSetting{150.0f, 5}, measure).end, c.end);
        board().setSmbusObserver(nullptr);
        if (nothingWritten(c.end)) {
            EXPECT_EQ(measuredAtNs, 0u) << "no clock moved: nothing to measure";
            continue;
        }
        EXPECT_GE(measuredAtNs - last.atNs, 500'000'000u);
        EXPECT_LT(measuredAtNs - last.atNs, 510'000'000u);
    }
}

// Another program holding the SMBus ends a reading at once, as such, and
// its one box is not followed by a second try.
TEST_F(BurstTimingTest, ABusHeldByAnotherProgramEndsAReadingOnce)
{
    FakeBusLock lock;
    lock.free = false;
    installPlatform(Platform{&machine->channel, &machine->processor, &machine->timing, &notifier, &lock});
    notifier.boxes.clear();
    EXPECT_EQ(readBackValues(), ReadEnd::BusBusy);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Another copy of the program is using the SMBus.");
}

}  // namespace

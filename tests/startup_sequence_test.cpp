// Start-up's hardware steps and batch mode on the simulated board.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "app/settings_file.h"
#include "app/startup_sequence.h"
#include "steps/clock_actions.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "support/sim_fixture.h"
#include "support/test_files.h"

namespace {

class StartupSequence : public SimBoardTest {
protected:
    void TearDown() override
    {
        std::remove(kFile);
        SimBoardTest::TearDown();
    }

    void writeSetting(float fsbMhz, RatioCode ratioCode)
    {
        currentSetting = ClockSetting{fsbMhz, ratioCode};
        ASSERT_EQ(writeSettingsFile(kFile), 1);
        currentSetting = ClockSetting{};
    }

    void expectOnlyBox(const char* text, const char* caption, uint32_t icon)
    {
        ASSERT_EQ(notifier.boxes.size(), 1u);
        EXPECT_EQ(notifier.boxes[0].text, text);
        EXPECT_EQ(notifier.boxes[0].caption, caption);
        EXPECT_EQ(notifier.boxes[0].icon, icon);
    }

    // A file of its own: tests of this group run at the same time.
    const std::string file = uniqueTestFile("qz8");
    const char* const kFile = file.c_str();
};

TEST_F(StartupSequence, StockBoardComesUpWithTheDeviceClosedAndNoBox)
{
    EXPECT_TRUE(bringUpHardware());
    EXPECT_EQ(driverLoaded, 1);
    EXPECT_NE(smbusPorts.base, 0u);
    EXPECT_FALSE(machine->channel.isOpen());
    EXPECT_TRUE(notifier.boxes.empty());
}

// Whatever the operating system's last configuration access left in 0xCF8,
// start-up finds the ICH2 on a board whose 0xCF8/0xCFA byte reads return
// CONFIG_ADDRESS's bytes.
TEST_F(StartupSequence, AliasedConfigBytesStillFindTheSmbus)
{
    for (uint32_t left : {0x00000000u, 0x8000F800u, 0x8000FB20u}) {
        SCOPED_TRACE(left);
        resetProcessRecords();
        useScenario("board=cf8alias");
        board().portOut(0xCF8, sim::Width::Dword, left);
        EXPECT_TRUE(bringUpHardware());
        EXPECT_EQ(smbusPorts.base, 0xE800u);
        EXPECT_EQ(board().configAddress(), left);
        unloadDriver();
    }
}

TEST_F(StartupSequence, NoSmbusEndsWithItsBoxAndTheDriverRemoved)
{
    FakeBusLock lock;
    installPlatform(Platform{&machine->channel, &machine->processor, &machine->timing, &notifier, &lock});
    useScenario("board=empty");
    EXPECT_FALSE(bringUpHardware());
    expectOnlyBox("No SMBus interface found.", "SMBus Error", 0x30);
    EXPECT_FALSE(lock.held) << "the bus is given back";
    EXPECT_EQ(machine->timing.preciseDepth(), 0u) << "and the 1 ms timer";
    EXPECT_FALSE(machine->channel.isOpen());
    EXPECT_FALSE(machine->channel.loaded());
    unloadDriver();  // shutDown's second call changes nothing
    EXPECT_EQ(machine->channel.unloadCount(), 1u);
}

TEST_F(StartupSequence, BatchProgramsTheChipWithTheFilesSetting)
{
    writeSetting(150.0f, 5);
    ASSERT_TRUE(bringUpHardware());
    EXPECT_EQ(runBatchMode((std::string("-file=") + kFile + " -x").c_str()), BatchOutcome::Applied);
    EXPECT_TRUE(notifier.boxes.empty());
    EXPECT_EQ(board().runningFsbHalfMhz(), 300);
    EXPECT_EQ(board().runningRatioCode(), 5);
    EXPECT_FALSE(machine->channel.isOpen());
}

TEST_F(StartupSequence, WithoutTheSwitchNothingHappens)
{
    writeSetting(150.0f, 5);
    ASSERT_TRUE(bringUpHardware());
    log.accesses.clear();
    EXPECT_EQ(runBatchMode((std::string("-FILE=") + kFile).c_str()), BatchOutcome::NotBatch);
    EXPECT_TRUE(log.accesses.empty());
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(StartupSequence, BadFilesAndRefusedSettingsShowOneBoxAndNoTraffic)
{
    struct Case {
        const char* name;
        float fsb;
        RatioCode ratio;
        bool writeFile;
        std::string commandLine;
    };
    const std::string good = std::string("-file=") + kFile;
    const Case cases[] = {
        {"missing file", 0.0f, 4, false, good},
        {"empty path", 0.0f, 4, false, "-file="},
        {"too long", 0.0f, 4, false, "-file=" + std::string(300, 'a')},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 4, true, good},
        {"above 257 MHz", 300.0f, 4, true, good},
        {"below 2 MHz", 1.5f, 4, true, good},
        // What the window cannot select is not programmed at every start-up.
        {"10 MHz", 10.0f, 4, true, good},
        {"below 90 MHz", 89.5f, 4, true, good},
        {"between two steps", 133.3f, 4, true, good},
        // No divider field: the FSB alone would leave PCI at 64 MHz.
        {"divider code 0 at 257 MHz", 257.0f, 0, true, good},
        {"divider code 9", 150.0f, 9, true, good},
        {"divider code 1", 150.0f, 1, true, good},
        {"divider code -2", 150.0f, -2, true, good},
    };
    ASSERT_TRUE(bringUpHardware());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(kFile);
        if (c.writeFile) writeSetting(c.fsb, c.ratio);
        notifier.boxes.clear();
        log.accesses.clear();
        EXPECT_EQ(runBatchMode(c.commandLine.c_str()), BatchOutcome::Refused);
        expectOnlyBox("Unable to find file, or bad file", "QZ8-II FSB", 0x10);
        EXPECT_TRUE(log.accesses.empty());
        EXPECT_EQ(board().runningFsbHalfMhz(), 266);
    }
}

TEST_F(StartupSequence, TheSelectableRangeEndsAreInclusive)
{
    for (const ClockSetting& s : {ClockSetting{90.0f, 2}, ClockSetting{257.0f, 8}, ClockSetting{133.5f, kRatioFixed}})
        EXPECT_TRUE(isSelectableSetting(s)) << s.fsbMhz;
    for (const ClockSetting& s : {ClockSetting{257.5f, 4}, ClockSetting{89.5f, 4}, ClockSetting{133.25f, 4},
                                  ClockSetting{-std::numeric_limits<float>::infinity(), 4}})
        EXPECT_FALSE(isSelectableSetting(s)) << s.fsbMhz;
}

// Another program holding the SMBus when batch mode programs: its box alone,
// no traffic, and no success.
TEST_F(StartupSequence, BatchEndsAtOnceWhenTheBusIsAnothersWithOneBox)
{
    FakeBusLock lock;
    installPlatform(Platform{&machine->channel, &machine->processor, &machine->timing, &notifier, &lock});
    writeSetting(150.0f, 5);
    ASSERT_TRUE(bringUpHardware());
    lock.free = false;
    log.accesses.clear();
    const uint64_t start = board().clock().nowNs();
    EXPECT_EQ(runBatchMode((std::string("-file=") + kFile).c_str()), BatchOutcome::Failed);
    expectOnlyBox("Another copy of the program is using the SMBus.", "SMBus Error", 0x30);
    EXPECT_TRUE(log.accesses.empty());
    EXPECT_EQ(board().clock().nowNs(), start) << "no wait of a transaction";
}

// A sequence that fails on the way is said, and the caller gets no success
// to report; a bus that stopped answering half-way is told apart: the board
// may run at a mixed setting.
TEST_F(StartupSequence, BatchSaysWhatAFailedProgrammingLeft)
{
    writeSetting(150.0f, 5);
    ASSERT_TRUE(bringUpHardware());
    struct Case {
        std::string fault;
        const char* text;
    };
    // The programming's FSB writes begin some 270 port operations in.
    const Case cases[] = {
        {"fault=nodevice", "The clock generator could not be programmed."},
        {"failfrom=" + std::to_string(machine->channel.portOperations() + 330),
         "The clock generator may hold a mixed setting: programming failed and the previous setting could not be "
         "restored. Save your work and restart the computer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        useScenario(c.fault.c_str());
        notifier.boxes.clear();
        EXPECT_EQ(runBatchMode((std::string("-file=") + kFile).c_str()), BatchOutcome::Failed);
        expectOnlyBox(c.text, "QZ8-II FSB", 0x10);
        EXPECT_FALSE(machine->channel.isOpen());
    }
}

}  // namespace

// Start-up's hardware steps and batch mode on the simulated board.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "app/settings_file.h"
#include "app/startup_sequence.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "support/sim_fixture.h"

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

    static constexpr const char* kFile = "startup_batch.qz8";
};

TEST_F(StartupSequence, StockBoardComesUpWithTheDeviceClosedAndNoBox)
{
    EXPECT_TRUE(bringUpHardware());
    EXPECT_EQ(driverLoaded, 1);
    EXPECT_NE(smbusPorts.base, 0u);
    EXPECT_FALSE(machine->channel.isOpen());
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(StartupSequence, NoSmbusEndsWithItsBoxAndTheDriverRemoved)
{
    useScenario("board=empty");
    EXPECT_FALSE(bringUpHardware());
    expectOnlyBox("No SMBus interface found.", "SMBus Error", 0x30);
    EXPECT_FALSE(machine->channel.isOpen());
    EXPECT_FALSE(machine->channel.loaded());
    unloadDriver();  // shutDown's second call changes nothing
    EXPECT_EQ(machine->channel.unloadCount(), 1u);
}

TEST_F(StartupSequence, BatchProgramsTheChipWithTheFilesSetting)
{
    writeSetting(150.0f, 5);
    ASSERT_TRUE(bringUpHardware());
    EXPECT_TRUE(runBatchMode((std::string("-file=") + kFile + " -x").c_str()));
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
    EXPECT_FALSE(runBatchMode((std::string("-FILE=") + kFile).c_str()));
    EXPECT_TRUE(log.accesses.empty());
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(StartupSequence, BadFilesAndRefusedSettingsShowOneBoxAndNoTraffic)
{
    struct Case {
        const char* name;
        float fsb;
        bool writeFile;
        std::string commandLine;
    };
    const std::string good = std::string("-file=") + kFile;
    const Case cases[] = {
        {"missing file", 0.0f, false, good},
        {"empty path", 0.0f, false, "-file="},
        {"too long", 0.0f, false, "-file=" + std::string(300, 'a')},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), true, good},
        {"above 257 MHz", 300.0f, true, good},
        {"below 2 MHz", 1.5f, true, good},
    };
    ASSERT_TRUE(bringUpHardware());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(kFile);
        if (c.writeFile) writeSetting(c.fsb, 4);
        notifier.boxes.clear();
        log.accesses.clear();
        EXPECT_TRUE(runBatchMode(c.commandLine.c_str()));
        expectOnlyBox("Unable to find file, or bad file", "QZ8-II FSB", 0x10);
        EXPECT_TRUE(log.accesses.empty());
        EXPECT_EQ(board().runningFsbHalfMhz(), 266);
    }
}

TEST_F(StartupSequence, ProgrammableRangeEndsAreInclusive)
{
    EXPECT_TRUE(isProgrammableFsb(2.0f));
    EXPECT_TRUE(isProgrammableFsb(257.0f));
    EXPECT_FALSE(isProgrammableFsb(257.5f));
    EXPECT_FALSE(isProgrammableFsb(1.99f));
    EXPECT_FALSE(isProgrammableFsb(-std::numeric_limits<float>::infinity()));
}

}  // namespace

// SMBus host discovery on every south bridge the board variants carry.
#include <gtest/gtest.h>

#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "support/sim_fixture.h"

namespace {

struct DiscoveryCase {
    const char* scenario;
    int32_t southBridgeIndex;  // in table order
    uint32_t base;
};

// Bases as each board's configuration space holds them (see the layouts).
const DiscoveryCase kCases[] = {
    {"board=stock", 6, 0xE800},      // ICH2, 0xE801: bit 0 masked off
    {"board=raid", 6, 0xE800},
    {"board=ich", 1, 0xDCD0},
    {"board=ich0", 1, 0xE400},
    {"board=ich4", 1, 0x0580},       // 0xFFFF0581: upper half dropped
    {"board=piix4", 1, 0x5000},
    {"board=via686", 1, 0x6000},     // 0x90 enabled: 0x80 not used
    {"board=via686alt", 1, 0x6000},  // 0x90 disabled, 0x80 enabled
    {"board=via686off", 1, 0},
    {"board=vt8233", 1, 0xC000},
    {"board=vt8235off", 1, 0},       // an address, but not enabled
    {"board=amd766", 1, 0x50E0},
    {"board=amd768", 1, 0xDEE0},
    {"board=i440mx", 1, 0},          // listed without a rule
    {"board=sis", 1, 0},
    {"board=norule1st", 1, 0},       // the ICH2 behind it is not looked at
    {"board=twosb", 1, 0xC000},      // lower table index wins
    {"board=nosmbus", -1, 0},
    {"board=empty", -1, 0},
    // Bases where no host block may sit: no SMBus rather than those ports.
    {"board=lowbase", 6, 0},   // 0x0040: the timer
    {"board=cfgbase", 6, 0},   // 0x0CF0: over the configuration ports
    {"board=amdwrap", 1, 0},   // 0xFF90 + 0xE0 wraps onto 0x0070, the CMOS ports
};

class SmbusDiscoveryTest : public SimBoardTest, public ::testing::WithParamInterface<DiscoveryCase> {};

TEST_P(SmbusDiscoveryTest, FindsTheBaseOfTheFirstListedFunction)
{
    const DiscoveryCase& c = GetParam();
    useScenario(c.scenario);
    bringUp();
    scanPciBus();
    EXPECT_EQ(findSouthBridge(), c.southBridgeIndex);
    findSmbusController();
    const SmbusPorts& p = smbusPorts;
    EXPECT_EQ(p.base, c.base);
    if (c.base == 0) {
        EXPECT_EQ(p.statusPort | p.controlPort | p.commandPort | p.addressPort | p.data0Port | p.data1Port |
                      p.blockDataPort,
                  0u);
        return;
    }
    const uint32_t ports[] = {p.statusPort, p.controlPort, p.commandPort, p.addressPort,
                              p.data0Port,  p.data1Port,   p.blockDataPort};
    const uint32_t offsets[] = {0, 2, 3, 4, 5, 6, 7};
    for (uint32_t i = 0; i < 7; ++i) EXPECT_EQ(ports[i], c.base + offsets[i]) << "register " << i;
    // The board decodes its host at the same place: the clock chip answers.
    EXPECT_EQ(readClockSetting(), 1);
    EXPECT_EQ(currentSetting.fsbMhz, 133.0f);
}

INSTANTIATE_TEST_SUITE_P(Boards, SmbusDiscoveryTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DiscoveryCase>& param) {
                             return std::string(param.param.scenario + 6);
                         });

class SmbusDiscoveryFailures : public SimBoardTest {};

TEST_F(SmbusDiscoveryFailures, AnAmdBaseRegisterReadingZeroGivesNoBase)
{
    useScenario("board=amd766");
    bringUp();
    scanPciBus();
    board().pci().poke(sim::PciConfigPoke{0, 0x07, 3, 0x58, 0x0000000F});
    findSmbusController();
    EXPECT_EQ(smbusPorts.base, 0u) << "0xE0 above nothing is no SMBus block";
}

TEST_F(SmbusDiscoveryFailures, ARuleLessFunctionReadsNoConfiguration)
{
    useScenario("board=i440mx");
    bringUp();
    scanPciBus();
    log.accesses.clear();
    findSmbusController();
    EXPECT_TRUE(log.accesses.empty());
}

}  // namespace

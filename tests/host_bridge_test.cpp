// Host bridge search and the Intel 850's memory clock ratio, on simulated buses.
#include <gtest/gtest.h>

#include <vector>

#include "hw/pci.h"
#include "ident/host_bridge.h"
#include "support/sim_fixture.h"

namespace {

using sim::PciConfigPoke;
using sim::PciFunctionEntry;

constexpr PciFunctionEntry host(uint8_t device, uint16_t vendorId, uint16_t deviceId)
{
    return PciFunctionEntry{0, device, 0, vendorId, deviceId, 0x06, 0x00, 0x00, 0x04, 0x00};
}
constexpr PciConfigPoke ratio(uint8_t device, uint32_t value) { return PciConfigPoke{0, device, 0, 0x50, value}; }

constexpr PciFunctionEntry kPciBridge{0, 0x00, 0, 0x8086, 0x2532, 0x06, 0x04, 0x00, 0x04, 0x01};
constexpr PciFunctionEntry kLpcBridge{0, 0x00, 0, 0x8086, 0x2440, 0x06, 0x01, 0x00, 0x12, 0x00};

class HostBridgeTest : public SimBoardTest {
protected:
    void onBus(const std::vector<PciFunctionEntry>& functions, const std::vector<PciConfigPoke>& pokes)
    {
        board().pci().clear();
        for (const PciFunctionEntry& f : functions) board().pci().add(f);
        for (const PciConfigPoke& p : pokes) board().pci().poke(p);
    }
    void identify()
    {
        resetProcessRecords();
        bringUp();
        scanPciBus();
        identifyChipset();
    }
};

TEST_F(HostBridgeTest, StockBoardRunsMemoryAtThreeTimesFsb)
{
    identify();
    EXPECT_EQ(findHostBridge(), 0);
    EXPECT_EQ(chipsetInfo.memoryClockMultiplier, 3);
}

TEST_F(HostBridgeTest, FirstHostBridgeAndBit11OfRegister50)
{
    const struct {
        const char* what;
        std::vector<PciFunctionEntry> functions;
        std::vector<PciConfigPoke> pokes;
        int32_t index;
        int32_t multiplier;
    } cases[] = {
        {"bit 11 set", {host(0, 0x8086, 0x2530)}, {ratio(0, 0x800)}, 0, 4},
        {"bit 11 clear", {host(0, 0x8086, 0x2530)}, {ratio(0, 0x7FF)}, 0, 3},
        {"behind a PCI-to-PCI bridge", {kPciBridge, host(1, 0x8086, 0x2530)}, {ratio(1, 0x800)}, 1, 4},
        {"LPC bridge is no host bridge", {kLpcBridge, host(2, 0x8086, 0x2530)}, {ratio(2, 0x800)}, 1, 4},
        {"first of two", {host(0, 0x8086, 0x2530), host(3, 0x8086, 0x2530)}, {ratio(0, 0x7FF), ratio(3, 0x800)}, 0, 3},
        {"first is another chipset", {host(0, 0x1106, 0x3099), host(3, 0x8086, 0x2530)}, {ratio(3, 0x800)}, 0, 0},
        {"850E's device id", {host(0, 0x8086, 0x2531)}, {ratio(0, 0x800)}, 0, 0},
        {"other vendor, same device id", {host(0, 0x1039, 0x2530)}, {ratio(0, 0x800)}, 0, 0},
        {"no host bridge", {kPciBridge}, {}, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        onBus(c.functions, c.pokes);
        identify();
        EXPECT_EQ(findHostBridge(), c.index);
        EXPECT_EQ(chipsetInfo.memoryClockMultiplier, c.multiplier);
    }
}

TEST_F(HostBridgeTest, EmptyTable)
{
    useScenario("board=empty");
    identify();
    EXPECT_EQ(findHostBridge(), -1);
    EXPECT_EQ(chipsetInfo.memoryClockMultiplier, 0);
}

}  // namespace

// Configuration-mechanism probe, configuration reads and the bus scan, run
// against the simulated machines.
#include <gtest/gtest.h>

#include <set>

#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "support/sim_fixture.h"

namespace {

struct ConfigTarget {
    uint32_t bus, device, function;
};

// Every configuration address the code read data from, decoded.
std::vector<ConfigTarget> latchedTargets(const PortLog& log)
{
    std::vector<ConfigTarget> targets;
    const std::vector<sim::PortAccess>& all = log.accesses;
    for (size_t i = 0; i + 1 < all.size(); ++i) {
        const sim::PortAccess& a = all[i];
        const sim::PortAccess& next = all[i + 1];
        if (a.write && a.port == 0xCF8 && a.width == sim::Width::Dword && !next.write && next.port == 0xCFC)
            targets.push_back(ConfigTarget{a.value >> 16 & 0xFF, a.value >> 11 & 0x1F, a.value >> 8 & 7});
    }
    return targets;
}

bool touched(const PortLog& log, uint16_t port)
{
    for (const sim::PortAccess& a : log.accesses)
        if (a.port == port) return true;
    return false;
}

class PciTest : public SimBoardTest {};

TEST_F(PciTest, StockBoardIsMechanismOneAndTheProbeRestoresConfigAddress)
{
    bringUp();
    writePortDword(0xCF8, 0x8000F840);
    uint32_t slots = 99;
    uint32_t functions = 99;
    EXPECT_EQ(probeConfigMechanism(slots, functions), 1);
    EXPECT_EQ(slots, 512u);
    EXPECT_EQ(functions, 8u);
    EXPECT_EQ(board().configAddress(), 0x8000F840u);
    EXPECT_FALSE(touched(log, 0xCF9)) << "0xCF9 is the ICH's reset control register";
}

// Byte reads of 0xCF8/0xCFA that return CONFIG_ADDRESS's bytes would pass
// the mechanism #2 test whenever the last configuration access left a low
// byte of 0 there: mechanism #1 is probed first, and #2 never touched.
TEST_F(PciTest, AMechanismOneMachineIsNeverTakenForMechanismTwo)
{
    const uint32_t leftBefore[] = {0x00000000, 0x80000000, 0x8000F800, 0x8000FB00, 0x8000F840};
    for (uint32_t before : leftBefore) {
        SCOPED_TRACE(before);
        resetProcessRecords();
        useScenario("board=cf8alias");
        bringUp();
        writePortDword(0xCF8, before);
        log.accesses.clear();
        uint32_t slots = 0;
        uint32_t functions = 0;
        EXPECT_EQ(probeConfigMechanism(slots, functions), 1);
        EXPECT_EQ(board().configAddress(), before);
        for (const sim::PortAccess& a : log.accesses)
            EXPECT_EQ(a.width, sim::Width::Dword) << "byte cycle at 0x" << std::hex << a.port;
        EXPECT_EQ(probeConfigMechanism(slots, functions), 1) << "the probe left the machine as it found it";
    }
}

TEST_F(PciTest, ProbeFindsMechanismTwoWithoutRestoringItsPorts)
{
    useScenario("board=mech2");
    bringUp();
    uint32_t slots = 0;
    uint32_t functions = 0;
    EXPECT_EQ(probeConfigMechanism(slots, functions), 2);
    EXPECT_EQ(slots, 32u);
    EXPECT_EQ(functions, 1u);
}

TEST_F(PciTest, ProbeOnAMachineThatAnswersNothingFindsNoMechanism)
{
    useScenario("board=empty");
    bringUp();
    uint32_t slots = 5;
    uint32_t functions = 5;
    EXPECT_EQ(probeConfigMechanism(slots, functions), 0);
    EXPECT_EQ(slots, 0u);
    EXPECT_EQ(functions, 0u);
}

TEST_F(PciTest, ReadPciConfigShiftsByTheOffsetsByteLane)
{
    bringUp();
    EXPECT_EQ(readPciConfig(0, 0x1F, 3, 0x00), 0x24438086u);
    EXPECT_EQ(readPciConfig(0, 0x1F, 3, 0x0A), 0x0C05u) << "sub-class low, base class above";
    EXPECT_EQ(readPciConfig(0, 0x1F, 3, 0x08) & 0xFF, 0x12u);
    EXPECT_EQ(readPciConfig(0, 0x1F, 3, 0x20), 0xE801u);
    EXPECT_EQ(readPciConfig(0, 0x1F, 6, 0x00), 0xFFFFFFFFu) << "an absent function";
    EXPECT_EQ(readPciConfig(7, 3, 1, 0x08), 0xFFFFFFFFu);
}

TEST_F(PciTest, StockScanListsEveryFunctionOfTheBoardInScanOrder)
{
    bringUp();
    scanPciBus();
    const PciDeviceTable& t = pciDeviceTable;
    EXPECT_EQ(t.slotCount, 512u);
    EXPECT_EQ(t.functionsPerSlot, 8u);
    struct Expected {
        uint32_t bus, device, function, vendor, id, cls, sub;
    };
    const Expected expected[] = {
        {0, 0x00, 0, 0x8086, 0x2530, 6, 0},    {0, 0x01, 0, 0x8086, 0x2532, 6, 4},
        {0, 0x1E, 0, 0x8086, 0x244E, 6, 4},    {0, 0x1F, 0, 0x8086, 0x2440, 6, 1},
        {0, 0x1F, 1, 0x8086, 0x244B, 1, 1},    {0, 0x1F, 2, 0x8086, 0x2442, 0xC, 3},
        {0, 0x1F, 3, 0x8086, 0x2443, 0xC, 5},  {0, 0x1F, 4, 0x8086, 0x2444, 0xC, 3},
        {0, 0x1F, 5, 0x8086, 0x2445, 4, 1},    {1, 0x00, 0, 0x10DE, 0x0110, 3, 0},
        {2, 0x08, 0, 0x8086, 0x2449, 2, 0},
    };
    ASSERT_EQ(t.count, std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const PciDeviceRecord& r = t.records[i];
        const Expected& e = expected[i];
        EXPECT_EQ(r.bus, e.bus) << i;
        EXPECT_EQ(r.device, e.device) << i;
        EXPECT_EQ(r.function, e.function) << i;
        EXPECT_EQ(r.vendorId, e.vendor) << i;
        EXPECT_EQ(r.deviceId, e.id) << i;
        EXPECT_EQ(r.classCode, e.cls) << i;
        EXPECT_EQ(r.subclass, e.sub) << i;
    }
    EXPECT_EQ(t.records[0].revision, 0x04u);
    EXPECT_FALSE(board().resetRequested());
    EXPECT_FALSE(touched(log, 0xCF9));
}

TEST_F(PciTest, ScanProbesAllEightFunctionsOfEverySlotOnBusesZeroToFifteen)
{
    sim::PciFunctionEntry beyond{16, 0, 0, 0x8086, 0x2530, 6, 0, 0, 1, 0};
    board().pci().add(beyond);
    bringUp();
    scanPciBus();
    std::set<uint32_t> idReads;
    uint32_t highestBus = 0;
    for (const ConfigTarget& t : latchedTargets(log)) {
        idReads.insert(t.bus << 8 | t.device << 3 | t.function);
        highestBus = std::max(highestBus, t.bus);
    }
    EXPECT_EQ(idReads.size(), 512u * 8u);
    EXPECT_EQ(highestBus, 15u);
    EXPECT_EQ(idReads.count(0u << 8 | 0u << 3 | 7u), 1u) << "a single-function device is probed at function 7 too";
    for (uint32_t i = 0; i < pciDeviceTable.count; ++i) EXPECT_LT(pciDeviceTable.records[i].bus, 16u);
}

TEST_F(PciTest, AbsenceIsJudgedFromTheVendorIdAlone)
{
    board().pci().add(sim::PciFunctionEntry{3, 4, 0, 0x1234, 0xFFFF, 2, 0, 0, 1, 0});
    board().pci().add(sim::PciFunctionEntry{3, 5, 0, 0xFFFF, 0x1234, 2, 0, 0, 1, 0});
    bringUp();
    scanPciBus();
    bool deviceFfffKept = false;
    for (uint32_t i = 0; i < pciDeviceTable.count; ++i) {
        const PciDeviceRecord& r = pciDeviceTable.records[i];
        if (r.bus == 3 && r.device == 4) deviceFfffKept = r.deviceId == 0xFFFF && r.vendorId == 0x1234;
        EXPECT_FALSE(r.bus == 3 && r.device == 5) << "vendor id 0xFFFF means nothing answers";
    }
    EXPECT_TRUE(deviceFfffKept);
}

TEST_F(PciTest, RaidEditionShowsItsControllerOnTheBusBehindTheBridge)
{
    useScenario("board=raid");
    bringUp();
    scanPciBus();
    ASSERT_EQ(pciDeviceTable.count, 12u);
    const PciDeviceRecord& raid = pciDeviceTable.records[10];
    EXPECT_EQ(raid.bus, 2u);
    EXPECT_EQ(raid.vendorId, 0x1103u);
    EXPECT_EQ(raid.classCode, 0x01u);
    EXPECT_EQ(pciDeviceTable.records[11].deviceId, 0x2449u);
}

TEST_F(PciTest, MechanismTwoScansBusZeroFunctionZeroThroughMechanismOnePorts)
{
    useScenario("board=mech2");
    bringUp();
    scanPciBus();
    EXPECT_EQ(pciDeviceTable.slotCount, 32u);
    EXPECT_EQ(pciDeviceTable.functionsPerSlot, 1u);
    EXPECT_EQ(pciDeviceTable.count, 0u) << "the mechanism #1 ports answer nothing on this machine";
    const std::vector<ConfigTarget> targets = latchedTargets(log);
    EXPECT_EQ(targets.size(), 32u);
    for (const ConfigTarget& t : targets) {
        EXPECT_EQ(t.bus, 0u);
        EXPECT_EQ(t.function, 0u);
    }
    for (const sim::PortAccess& a : log.accesses) EXPECT_LT(a.port, 0xC000) << "no mechanism #2 window access";
}

TEST_F(PciTest, EmptyMachineAndUnloadedDriverLeaveTheTableEmpty)
{
    useScenario("board=empty");
    bringUp();
    scanPciBus();
    EXPECT_EQ(pciDeviceTable.count, 0u);
    EXPECT_EQ(pciDeviceTable.slotCount, 0u);

    resetProcessRecords();
    useScenario("board=stock");
    log.accesses.clear();
    scanPciBus();
    EXPECT_EQ(pciDeviceTable.count, 0u);
    EXPECT_TRUE(log.accesses.empty()) << "the scan does nothing while the driver is not loaded";
}

TEST_F(PciTest, CrowdedMachineFillsTheTableAndStopsWithoutOverflow)
{
    useScenario("board=crowded");
    bringUp();
    scanPciBus();
    ASSERT_EQ(pciDeviceTable.count, kPciTableCapacity);
    EXPECT_EQ(pciDeviceTable.records[0].deviceId, 0x2530u) << "lowest buses first";
    EXPECT_EQ(pciDeviceTable.records[6].deviceId, 0x2443u);
    const PciDeviceRecord& last = pciDeviceTable.records[kPciTableCapacity - 1];
    EXPECT_EQ(last.bus, 3u);
    EXPECT_EQ(last.device * 8 + last.function, kPciTableCapacity - 1 - 11);
    EXPECT_TRUE(notifier.boxes.empty());
}

}  // namespace

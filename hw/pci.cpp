#include "hw/pci.h"

#include "hw/hw_channel.h"

PciDeviceTable pciDeviceTable{};

namespace {
constexpr uint32_t kConfigAddress = 0xCF8;
constexpr uint32_t kConfigData = 0xCFC;
// Mechanism #2: configuration-space enable and forward registers.
constexpr uint32_t kMech2Enable = 0xCF8;
constexpr uint32_t kMech2Forward = 0xCFA;
constexpr uint32_t kEnableBit = 0x80000000;
}  // namespace

int32_t probeConfigMechanism(uint32_t& slotCount, uint32_t& functionsPerSlot)
{
    slotCount = 0;
    functionsPerSlot = 0;
    // The operating system's own configuration access reaches every bus and
    // function as mechanism #1 does, without a port cycle of ours.
    if (osConfigAccess()) {
        slotCount = 512;
        functionsPerSlot = 8;
        return 1;
    }

    // Mechanism #1 first: some mechanism #1 chipsets answer byte reads of
    // 0xCF8 and 0xCFA with the bytes of CONFIG_ADDRESS, and would pass the
    // #2 test whenever its low byte happened to be 0. Other software uses
    // CONFIG_ADDRESS too: put back what it held.
    uint32_t saved = 0;
    readPortDword(kConfigAddress, saved);
    writePortDword(kConfigAddress, kEnableBit);
    const bool mechanismOne = checkPortDword(kConfigAddress, kEnableBit) != 0;
    writePortDword(kConfigAddress, saved);
    if (mechanismOne) {
        slotCount = 512;
        functionsPerSlot = 8;
        return 1;
    }

    writePortByte(kMech2Enable, 0x00);
    writePortByte(kMech2Forward, 0x00);
    if (checkPortByte(kMech2Enable, 0x00) != 0 && checkPortByte(kMech2Forward, 0x00) != 0) {
        slotCount = 32;
        functionsPerSlot = 1;
        return 2;
    }
    return 0;
}

uint32_t readPciConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset)
{
    if (osConfigAccess()) return readOsConfigDword(bus, device, function, offset & 0xFC) >> (8 * (offset & 3));
    uint32_t saved = 0;
    readPortDword(kConfigAddress, saved);
    writePortDword(kConfigAddress, kEnableBit | (bus & 0xFF) << 16 | (device & 0x1F) << 11 |
                                       (function & 0x07) << 8 | (offset & 0xFC));
    uint32_t value = 0;
    readPortDword(kConfigData, value);
    writePortDword(kConfigAddress, saved);
    return value >> (8 * (offset & 3));
}

void scanPciBus()
{
    PciDeviceTable& table = pciDeviceTable;
    if (driverLoaded == 0) return;
    probeConfigMechanism(table.slotCount, table.functionsPerSlot);

    for (uint32_t slot = 0; slot < table.slotCount; ++slot) {
        const uint32_t bus = slot >> 5;
        const uint32_t device = slot & 0x1F;
        for (uint32_t function = 0; function < table.functionsPerSlot; ++function) {
            const uint32_t id = readPciConfig(bus, device, function, 0x00);
            if ((id & 0xFFFF) == 0xFFFF) continue;  // nothing answers here
            // A machine with more functions than the table holds keeps the
            // lowest buses, where the host and south bridges live.
            if (table.count == kPciTableCapacity) return;
            const uint32_t classWord = readPciConfig(bus, device, function, 0x0A);
            const uint32_t revision = readPciConfig(bus, device, function, 0x08);
            table.records[table.count] = PciDeviceRecord{id & 0xFFFF,         id >> 16 & 0xFFFF,
                                                         classWord >> 8 & 0xFF, classWord & 0xFF,
                                                         revision & 0xFF,      bus,
                                                         device,               function};
            ++table.count;
        }
    }
}

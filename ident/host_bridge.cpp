#include "ident/host_bridge.h"

#include "hw/pci.h"

ChipsetInfo chipsetInfo;

namespace {
constexpr uint32_t kClassBridge = 0x06;
constexpr uint32_t kSubclassHost = 0x00;
constexpr uint32_t kVendorIntel = 0x8086;
constexpr uint32_t kDevice850Mch = 0x2530;
// MCH register 0x50, bit 11 (bit 3 of byte 0x51): memory clock 4 x FSB when
// set, 3 x FSB when clear.
constexpr uint32_t kMemoryRatioOffset = 0x50;
constexpr uint32_t kMemoryRatioBit = 1u << 11;
}  // namespace

int32_t findHostBridge()
{
    for (uint32_t i = 0; i < pciDeviceTable.count && i < kPciTableCapacity; ++i) {
        const PciDeviceRecord& r = pciDeviceTable.records[i];
        if (r.classCode == kClassBridge && r.subclass == kSubclassHost) return static_cast<int32_t>(i);
    }
    return -1;
}

void identifyChipset()
{
    const int32_t index = findHostBridge();
    if (index < 0) return;
    const PciDeviceRecord& bridge = pciDeviceTable.records[index];
    if (bridge.vendorId != kVendorIntel || bridge.deviceId != kDevice850Mch) return;
    const uint32_t value = readPciConfig(bridge.bus, bridge.device, bridge.function, kMemoryRatioOffset);
    chipsetInfo.memoryClockMultiplier = (value & kMemoryRatioBit) != 0 ? 4 : 3;
}

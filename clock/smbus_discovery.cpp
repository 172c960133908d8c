// Finding the SMBus host controller in the south bridge's configuration space.
#include "clock/smbus.h"
#include "hw/pci.h"
#include "hw/smbus_block.h"

SmbusPorts smbusPorts = {};

namespace {

constexpr uint32_t key(uint32_t vendor, uint32_t device) { return vendor << 16 | device; }

// How a listed function gives its SMBus I/O base.
enum class BaseRule : uint8_t {
    None,         // listed, but no rule reaches a base
    Register,     // the base register as it reads, bit 0 ignored
    ViaFallback,  // 0x90 if enabled (bit 0), else 0x80 if enabled
    Enabled,      // the base register only when its bit 0 is set
};

struct SouthBridge {
    uint32_t key;
    BaseRule rule;
    uint8_t offset;
    uint16_t addend;
};

// The SMBus-bearing functions accepted, and where each keeps its base.
constexpr SouthBridge kSouthBridges[] = {
    {key(0x8086, 0x2413), BaseRule::Register, 0x20, 0},     // ICH
    {key(0x8086, 0x2423), BaseRule::Register, 0x20, 0},     // ICH0
    {key(0x8086, 0x2443), BaseRule::Register, 0x20, 0},     // ICH2
    {key(0x8086, 0x24C3), BaseRule::Register, 0x20, 0},     // ICH4
    {key(0x8086, 0x7113), BaseRule::Register, 0x90, 0},     // PIIX4 power management
    {key(0x8086, 0x719B), BaseRule::None, 0, 0},
    {key(0x1106, 0x3040), BaseRule::None, 0, 0},
    {key(0x1106, 0x3050), BaseRule::None, 0, 0},
    {key(0x1106, 0x3051), BaseRule::None, 0, 0},
    {key(0x1106, 0x3057), BaseRule::ViaFallback, 0x90, 0},  // VT82C686 power management
    {key(0x1106, 0x3074), BaseRule::Enabled, 0xD0, 0},      // VT8233
    {key(0x1106, 0x3086), BaseRule::ViaFallback, 0x90, 0},
    {key(0x1106, 0x3177), BaseRule::Enabled, 0xD0, 0},      // VT8235
    {key(0x1022, 0x7403), BaseRule::Register, 0x58, 0xE0},  // AMD 766: block above the PM base
    {key(0x1022, 0x740B), BaseRule::Register, 0x58, 0xE0},  // AMD 768
    {key(0x1039, 0x0009), BaseRule::None, 0, 0},
};

constexpr uint8_t kViaFallbackOffset = 0x80;
constexpr uint32_t kBaseMask = 0xFFF0;  // bits 15..4; the low bits are flags

const SouthBridge* listed(uint32_t vendorId, uint32_t deviceId)
{
    for (const SouthBridge& bridge : kSouthBridges)
        if (bridge.key == key(vendorId, deviceId)) return &bridge;
    return nullptr;
}

uint32_t readBase(const SouthBridge& bridge, const PciDeviceRecord& r)
{
    if (bridge.rule == BaseRule::None) return 0;
    const uint32_t value = readPciConfig(r.bus, r.device, r.function, bridge.offset);
    switch (bridge.rule) {
    case BaseRule::None: return 0;
    case BaseRule::Register:
        // A base register reading 0 (or a failed read) is no base, also
        // where the block sits at an offset above it.
        return (value & kBaseMask) != 0 ? (value & kBaseMask) + bridge.addend : 0;
    case BaseRule::Enabled: return (value & 1) != 0 ? value & kBaseMask : 0;
    case BaseRule::ViaFallback: {
        if ((value & 1) != 0) return value & kBaseMask;
        const uint32_t fallback = readPciConfig(r.bus, r.device, r.function, kViaFallbackOffset);
        return (fallback & 1) != 0 ? fallback & kBaseMask : 0;
    }
    }
    return 0;
}

}  // namespace

int32_t findSouthBridge()
{
    for (uint32_t i = 0; i < pciDeviceTable.count && i < kPciTableCapacity; ++i) {
        const PciDeviceRecord& r = pciDeviceTable.records[i];
        if (listed(r.vendorId, r.deviceId) != nullptr) return static_cast<int32_t>(i);
    }
    return -1;
}

void findSmbusController()
{
    const int32_t index = findSouthBridge();
    if (index < 0) return;
    const PciDeviceRecord& r = pciDeviceTable.records[index];
    const SouthBridge& bridge = *listed(r.vendorId, r.deviceId);
    // A base outside the I/O space, among the legacy ports or on the
    // configuration ports is a misread or misconfigured register: no SMBus.
    const uint32_t base = readBase(bridge, r);
    if (!isUsableSmbusBase(base)) return;
    smbusPorts.base = base;
    smbusPorts.statusPort = base;
    smbusPorts.controlPort = base + 2;
    smbusPorts.commandPort = base + 3;
    smbusPorts.addressPort = base + 4;
    smbusPorts.data0Port = base + 5;
    smbusPorts.data1Port = base + 6;
    smbusPorts.blockDataPort = base + 7;
}

#include "driver/smbus_locator.h"

#include "hw/smbus_block.h"

namespace zornik {

namespace {

// How a south bridge function gives away its SMBus I/O base.
enum class BaseRule : uint8_t {
    Direct,          // the dword at `offset`, bit 0 ignored
    EnabledOr80,     // VT82C686 family: 0x90, else 0x80; the one with bit 0 set
    Enabled,         // VT8233/8235: only with bit 0 set
    PlusE0,          // AMD 756/766: the block sits 0xE0 into the PM space
    None,            // listed, but no SMBus block we know how to find
};

struct SouthBridge {
    uint32_t id;  // vendor << 16 | device
    BaseRule rule;
    uint8_t offset;
};

constexpr SouthBridge kSouthBridges[] = {
    {0x80862413, BaseRule::Direct, 0x20},      {0x80862423, BaseRule::Direct, 0x20},
    {0x80862443, BaseRule::Direct, 0x20},      {0x808624C3, BaseRule::Direct, 0x20},
    {0x80867113, BaseRule::Direct, 0x90},      {0x8086719B, BaseRule::None, 0},
    {0x11063040, BaseRule::None, 0},           {0x11063050, BaseRule::None, 0},
    {0x11063051, BaseRule::None, 0},           {0x11063057, BaseRule::EnabledOr80, 0x90},
    {0x11063074, BaseRule::Enabled, 0xD0},     {0x11063086, BaseRule::EnabledOr80, 0x90},
    {0x11063177, BaseRule::Enabled, 0xD0},     {0x10227403, BaseRule::PlusE0, 0x58},
    {0x1022740B, BaseRule::PlusE0, 0x58},      {0x10390009, BaseRule::None, 0},
};

constexpr uint32_t kBaseMask = 0xFFF0;
constexpr uint32_t kNoFunction = 0xFFFFFFFF;

const SouthBridge* listed(uint32_t id)
{
    for (const SouthBridge& bridge : kSouthBridges)
        if (bridge.id == id) return &bridge;
    return nullptr;
}

uint32_t baseOf(const SouthBridge& bridge, ConfigReader read, void* context, uint32_t device, uint32_t function)
{
    if (bridge.rule == BaseRule::None) return 0;
    uint32_t value = read(context, device, function, bridge.offset);
    switch (bridge.rule) {
    case BaseRule::Direct:
        return value & kBaseMask;
    case BaseRule::PlusE0:
        return (value & kBaseMask) + 0xE0;
    case BaseRule::EnabledOr80:
        if ((value & 1) == 0) value = read(context, device, function, 0x80);
        return (value & 1) != 0 ? value & kBaseMask : 0;
    case BaseRule::Enabled:
        return (value & 1) != 0 ? value & kBaseMask : 0;
    case BaseRule::None:
        break;
    }
    return 0;
}

}  // namespace

uint32_t configAddress(uint32_t device, uint32_t function, uint32_t offset)
{
    return 0x80000000u | (device & 0x1F) << 11 | (function & 0x07) << 8 | (offset & 0xFC);
}

uint16_t locateSmbusBase(ConfigReader read, void* context)
{
    for (uint32_t device = 0; device < 32; ++device) {
        for (uint32_t function = 0; function < 8; ++function) {
            const uint32_t id = read(context, device, function, 0x00);
            if (id == kNoFunction || id == 0) {
                if (function == 0) break;  // no device in this slot
                continue;
            }
            const uint32_t key = (id & 0xFFFF) << 16 | id >> 16;
            if (const SouthBridge* bridge = listed(key)) {
                // Judged before it is cut to 16 bits, so that a block past
                // 0xFFFF cannot wrap onto the legacy ports.
                const uint32_t base = baseOf(*bridge, read, context, device, function);
                return isUsableSmbusBase(base) ? static_cast<uint16_t>(base) : 0;
            }
            // A single-function device answers for every function number.
            if (function == 0 && (read(context, device, 0, 0x0C) & 0x00800000u) == 0) break;
        }
    }
    return 0;
}

}  // namespace zornik

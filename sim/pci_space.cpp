#include "sim/pci_space.h"

namespace sim {

namespace {
void putDword(uint8_t* config, uint32_t offset, uint32_t value)
{
    for (uint32_t i = 0; i < 4; ++i) config[(offset & 0xFC) + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getDword(const uint8_t* config, uint32_t offset)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < 4; ++i) value |= uint32_t{config[(offset & 0xFC) + i]} << (8 * i);
    return value;
}
}  // namespace

bool PciSpace::add(const PciFunctionEntry& entry)
{
    if (count_ == kCapacity) return false;
    Function& f = functions_[count_++];
    f.bus = entry.bus;
    f.device = entry.device;
    f.function = entry.function;
    for (uint8_t& byte : f.config) byte = 0;
    putDword(f.config, 0x00, uint32_t{entry.deviceId} << 16 | entry.vendorId);
    putDword(f.config, 0x08,
             uint32_t{entry.classCode} << 24 | uint32_t{entry.subclass} << 16 | uint32_t{entry.progIf} << 8 |
                 entry.revision);
    f.config[0x0E] = entry.headerType;
    return true;
}

void PciSpace::poke(const PciConfigPoke& poke)
{
    if (uint8_t* config = find(poke.bus, poke.device, poke.function)) putDword(config, poke.offset, poke.value);
}

uint32_t PciSpace::readDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) const
{
    const uint8_t* config = find(bus, device, function);
    return config != nullptr ? getDword(config, offset) : 0xFFFFFFFFu;
}

uint8_t* PciSpace::find(uint32_t bus, uint32_t device, uint32_t function)
{
    for (uint32_t i = 0; i < count_; ++i) {
        Function& f = functions_[i];
        if (f.bus == bus && f.device == device && f.function == function) return f.config;
    }
    return nullptr;
}

const uint8_t* PciSpace::find(uint32_t bus, uint32_t device, uint32_t function) const
{
    return const_cast<PciSpace*>(this)->find(bus, device, function);
}

}  // namespace sim

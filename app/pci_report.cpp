#include "app/pci_report.h"

#include <cstdint>

namespace {
struct ClassName {
    uint32_t classCode;
    uint32_t subclass;
    const char* name;
};

constexpr ClassName kClassNames[] = {
    {0x01, 0x01, "IDE controller"},     {0x01, 0x04, "RAID controller"},   {0x01, 0x80, "storage controller"},
    {0x02, 0x00, "Ethernet controller"}, {0x03, 0x00, "VGA controller"},   {0x04, 0x01, "audio device"},
    {0x06, 0x00, "host bridge"},        {0x06, 0x01, "ISA/LPC bridge"},    {0x06, 0x04, "PCI-to-PCI bridge"},
    {0x0C, 0x03, "USB controller"},     {0x0C, 0x05, "SMBus controller"},
};

}  // namespace

const char* pciKindName(const PciDeviceRecord& record)
{
    for (const ClassName& entry : kClassNames)
        if (entry.classCode == record.classCode && entry.subclass == record.subclass) return entry.name;
    return "other";
}

void printPciTable(const PciDeviceTable& table, std::FILE* out)
{
    const char* mechanism = table.functionsPerSlot == 8 ? "#1" : table.functionsPerSlot == 1 ? "#2" : "none";
    std::fprintf(out, "PCI configuration mechanism %s: %u slots x %u functions, %u present\n", mechanism,
                 table.slotCount, table.functionsPerSlot, table.count);
    std::fprintf(out, "bus:dev.fn  vendor:device  class  rev  kind\n");
    for (uint32_t i = 0; i < table.count; ++i) {
        const PciDeviceRecord& r = table.records[i];
        std::fprintf(out, "%3u:%02x.%u   %04x:%04x      %02x.%02x  %02x   %s\n", r.bus, r.device, r.function,
                     r.vendorId, r.deviceId, r.classCode, r.subclass, r.revision, pciKindName(r));
    }
}

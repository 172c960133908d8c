#include "cli/pci_lines.h"

#include "app/pci_report.h"

namespace {
constexpr uint32_t kHeaderTypeOffset = 0x0E;
}  // namespace

std::string pciLocation(const PciDeviceRecord& r)
{
    char text[32];
    std::snprintf(text, sizeof text, "%x:%02x.%x", r.bus, r.device, r.function);
    return text;
}

std::string pciId(const PciDeviceRecord& r)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04x:%04x", r.vendorId, r.deviceId);
    return text;
}

void printPciFunctions(const PciDeviceTable& table, std::FILE* out)
{
    for (uint32_t i = 0; i < table.count && i < kPciTableCapacity; ++i) {
        const PciDeviceRecord& r = table.records[i];
        const uint32_t headerType = readPciConfig(r.bus, r.device, r.function, kHeaderTypeOffset) & 0xFF;
        std::fprintf(out, "%s %s %02x%02x %02x %s\n", pciLocation(r).c_str(), pciId(r).c_str(), r.classCode,
                     r.subclass, headerType, pciKindName(r));
    }
}

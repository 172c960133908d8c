#include "app/cli/pci_lines.h"

#include <cstdlib>
#include <vector>

#include "app/pci_report.h"

namespace {

constexpr uint32_t kHeaderTypeOffset = 0x0E;

// The kind of each function as app/pci_report names it, taken from its
// listing (two heading lines, then one line a function ending in the kind),
// so that both programs name a function alike.
std::vector<std::string> kindNames(const PciDeviceTable& table)
{
    char* listing = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&listing, &size);
    if (stream == nullptr) return {};
    printPciTable(table, stream);
    std::fclose(stream);

    std::vector<std::string> kinds;
    const char* line = listing;
    for (uint32_t index = 0; *line != '\0'; ++index) {
        const char* end = line;
        while (*end != '\0' && *end != '\n') ++end;
        // Location, IDs, class and revision come before the kind.
        int kindAt = 0;
        if (index >= 2 && std::sscanf(line, "%*s %*s %*s %*s %n", &kindAt) == 0 && kindAt > 0 && line + kindAt < end)
            kinds.emplace_back(line + kindAt, end);
        line = *end == '\n' ? end + 1 : end;
    }
    std::free(listing);
    return kinds;
}

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
    const std::vector<std::string> kinds = kindNames(table);
    for (uint32_t i = 0; i < table.count && i < kPciTableCapacity; ++i) {
        const PciDeviceRecord& r = table.records[i];
        const uint32_t headerType = readPciConfig(r.bus, r.device, r.function, kHeaderTypeOffset) & 0xFF;
        std::fprintf(out, "%s %s %02x%02x %02x %s\n", pciLocation(r).c_str(), pciId(r).c_str(), r.classCode,
                     r.subclass, headerType, i < kinds.size() ? kinds[i].c_str() : "other");
    }
}

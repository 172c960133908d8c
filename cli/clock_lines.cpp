#include "cli/clock_lines.h"

#include <string>

#include "cli/cli_values.h"
#include "ident/cpu_info.h"

namespace {

constexpr char kUnknown[] = "unknown";

const char* orUnknown(const char* text) { return *text != '\0' ? text : kUnknown; }

// The window's texts are padded to a field width; a line needs no padding.
const char* unpadded(const std::string& text)
{
    const char* at = text.c_str();
    while (*at == ' ') ++at;
    return at;
}

void printMhz(const char* key, const std::string& value, std::FILE* out)
{
    std::fprintf(out, "%s: %s MHz\n", key, unpadded(value));
}

}  // namespace

void printClockSetting(const ClockSetting& setting, std::FILE* out)
{
    std::fprintf(out, "clock generator: FSB %.1f MHz, divider %s\n", static_cast<double>(setting.fsbMhz),
                 dividerText(setting.ratioCode).c_str());
}

void printProcessor(std::FILE* out)
{
    std::fprintf(out, "model: %s\n", orUnknown(modelFieldText(cpuInfo.brandString, cpuInfo.modelName)));
    std::fprintf(out, "core: %s\n", orUnknown(cpuInfo.coreName));
    std::fprintf(out, "multiplier: %s\n", orUnknown(multiplierText(cpuInfo.clockMultiplier).c_str()));
}

void printClockRow(const RowTexts& row, std::FILE* out)
{
    // A measurement that failed leaves 0: no clock to show.
    if (cpuInfo.coreClockMhz > 0.0f)
        printMhz("core clock", row.coreSpeed, out);
    else
        std::fprintf(out, "core clock: %s\n", kUnknown);
    printMhz("FSB", row.fsb, out);
    if (row.hasMemory)
        printMhz("memory", row.memory, out);
    else
        std::fprintf(out, "memory: %s\n", kUnknown);
    printMhz("AGP", row.agp, out);
    printMhz("PCI", row.pci, out);
}

#include "app/window_values.h"

#include <cmath>
#include <cstdio>
#include <cstring>

const char* const kRatioTexts[kRatioEntryCount] = {"1/2", "1/3", "1/4", "1/5", "1/6", "1/7", "1/8", "Fixed"};
const RatioCode kRatioCodes[kRatioEntryCount] = {2, 3, 4, 5, 6, 7, 8, kRatioFixed};

namespace {

// With the fixed divider the chip drives PCI at 33.34 and AGP at 66.67 MHz.
constexpr char kFixedAgpText[] = "66.67";
constexpr char kFixedPciText[] = "33.34";

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Memory, AGP and PCI follow from the FSB the same way in both rows.
void fillBusFields(RowTexts& row, const ClockSetting& setting, int32_t memoryClockMultiplier)
{
    const double fsb = setting.fsbMhz;
    if (memoryClockMultiplier > 0) {
        row.hasMemory = true;
        row.memory = format("%4.1f", memoryClockMultiplier * fsb);
    }
    if (setting.ratioCode > 0) {
        row.agp = format("%4.2f", (fsb + fsb) / setting.ratioCode);
        row.pci = format("%4.2f", fsb / setting.ratioCode);
    } else {
        row.agp = kFixedAgpText;
        row.pci = kFixedPciText;
    }
}

}  // namespace

int32_t ratioIndexForCode(RatioCode code)
{
    for (int32_t i = 0; i < kRatioEntryCount; ++i) {
        if (kRatioCodes[i] == code) return i;
    }
    return -1;
}

bool ratioCodeForIndex(int32_t index, RatioCode& code)
{
    if (index < 0 || index >= kRatioEntryCount) return false;
    code = kRatioCodes[index];
    return true;
}

int32_t sliderPositionForFsb(float fsbMhz)
{
    const double doubled = static_cast<double>(fsbMhz) + fsbMhz;
    // Compared before converting: a NaN or huge value must not reach the
    // integer conversion.
    if (!(doubled > kSliderMin)) return kSliderMin;
    if (doubled >= kSliderMax) return kSliderMax;
    return static_cast<int32_t>(doubled);
}

float fsbForSliderPosition(int32_t position) { return static_cast<float>(position * 0.5); }

RowTexts currentRowTexts(const ClockSetting& current, float coreClockMhz, int32_t memoryClockMultiplier)
{
    RowTexts row;
    row.coreSpeed = format("%5.1f", coreClockMhz);
    row.fsb = format("%4.1f", current.fsbMhz);
    fillBusFields(row, current, memoryClockMultiplier);
    return row;
}

RowTexts selectedRowTexts(const ClockSetting& selected, float clockMultiplier, int32_t memoryClockMultiplier)
{
    RowTexts row;
    row.fsb = format("%4.1f", selected.fsbMhz);
    row.coreSpeed = format("%4.1f", static_cast<double>(clockMultiplier) * selected.fsbMhz);
    fillBusFields(row, selected, memoryClockMultiplier);
    return row;
}

std::string multiplierText(float clockMultiplier)
{
    if (!(clockMultiplier > 0.0f)) return {};
    return format("x %2.1f", clockMultiplier);
}

const char* modelFieldText(const char (&brandString)[49], const char* modelName)
{
    // Eight bytes: the word and its NUL, so "unknownX" is a brand string.
    static constexpr char kUnknown[8] = "unknown";
    return std::memcmp(brandString, kUnknown, sizeof kUnknown) == 0 ? modelName : brandString;
}

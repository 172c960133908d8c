// What the main window shows, computed without any window: the FSB slider's
// units, the ratio list, and the texts of the value fields.
#pragma once

#include <cstdint>
#include <string>

#include "clock/clock_setting.h"

// One slider position is 0.5 MHz: 180..514 is 90.0..257.0 MHz, a tick every
// 21 positions (10.5 MHz).
constexpr int32_t kSliderMin = 180;
constexpr int32_t kSliderMax = 514;
constexpr int32_t kSliderTickFrequency = 21;

// The ratio list in display order; entry i stands for kRatioCodes[i].
constexpr int32_t kRatioEntryCount = 8;
extern const char* const kRatioTexts[kRatioEntryCount];
extern const RatioCode kRatioCodes[kRatioEntryCount];

// List index of a code, or -1 for a code the list does not hold.
int32_t ratioIndexForCode(RatioCode code);
// False for an index outside the list (also -1, no selection).
bool ratioCodeForIndex(int32_t index, RatioCode& code);

// Slider position for an FSB: twice the MHz truncated toward zero, held to
// the slider's range as the trackbar itself would.
int32_t sliderPositionForFsb(float fsbMhz);
// The FSB a slider position stands for, as the 32-bit float it is stored as.
float fsbForSliderPosition(int32_t position);

// Texts of one row of the Settings grid. A field whose condition is not met
// (memory without a known memory multiplier) is not to be touched.
struct RowTexts {
    std::string coreSpeed;
    std::string fsb;
    bool hasMemory = false;
    std::string memory;
    std::string agp;
    std::string pci;
};

RowTexts currentRowTexts(const ClockSetting& current, float coreClockMhz, int32_t memoryClockMultiplier);
// The Selected core speed is multiplier x FSB, shown even when the
// multiplier is unknown (0).
RowTexts selectedRowTexts(const ClockSetting& selected, float clockMultiplier, int32_t memoryClockMultiplier);

// "x 18.0", or empty when the multiplier is unknown.
std::string multiplierText(float clockMultiplier);
// The Model field: the model name when the brand string is exactly
// "unknown", else the brand string (also when empty).
const char* modelFieldText(const char (&brandString)[49], const char* modelName);

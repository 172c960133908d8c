#pragma once

#include <cstdint>

// PCI/AGP divider code: 2 to 8 divide the FSB (PCI = FSB / code,
// AGP = 2 x FSB / code); -1 selects the fixed 33.34 / 66.67 MHz clocks.
using RatioCode = int32_t;
constexpr RatioCode kRatioFixed = -1;

// One FSB frequency and one divider.
struct ClockSetting {
    float fsbMhz;
    RatioCode ratioCode;
};

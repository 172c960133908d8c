// The board's clock generator at SMBus address 0x69: reading the current FSB
// and divider, and programming new ones.
#pragma once

#include <cstdint>

#include "clock/clock_setting.h"

// Last setting read from the clock generator (or from a settings file in
// batch mode).
extern ClockSetting currentSetting;

// 1 and currentSetting filled; 0 when a transaction failed (currentSetting
// then keeps what it held).
int32_t readClockSetting();
// 1 when programmed; 0 when refused (FSB not a number or outside 2.0 to
// 257.0 MHz: no traffic at all), when a transaction failed, or when the
// registers read back in the sequence do not hold what was written.
int32_t applyClockSetting(float fsbMhz, RatioCode ratioCode);

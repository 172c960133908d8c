// The hardware work behind the window's two buttons, free of any window, so
// that it can run (and be measured) on the simulated board natively.
#pragma once

#include "clock/clock_setting.h"

// "Get Current Values": one burst that reads the clock generator into
// currentSetting. False when it could not be read (currentSetting kept).
bool readCurrentValues();

// "Set New Values" up to its read-back: one burst that programs `requested`,
// the pause while the clocks settle, and the core clock measured again.
// False when the chip was not programmed as asked.
bool programAndSettle(const ClockSetting& requested);

// The chip holds what was asked for: its FSB moves in 0.5 MHz steps, so a
// request between steps (a file's 133.3 MHz) is held as the step below.
bool holdsSetting(const ClockSetting& held, const ClockSetting& requested);

// What the clock generator can be programmed with: an FSB from 2.0 to
// 257.0 MHz (not NaN) and a divider with a field value (2 to 8, or -1).
bool isProgrammableSetting(const ClockSetting& setting);

// Reading and programming the clock generator as whole actions, each in its
// own burst of hardware work, free of any window or console, so that the
// window, batch mode and the command-line tool run the same steps.
#pragma once

#include "clock/clock_generator.h"
#include "clock/clock_setting.h"

// How a reading ended.
enum class ReadEnd : uint8_t {
    Read,     // currentSetting holds what the chip holds
    Failed,   // the chip could not be read; currentSetting is kept
    BusBusy,  // another program holds the SMBus: nothing was done (a box said so)
};

// "Get Current Values": one burst that reads the clock generator into
// currentSetting.
ReadEnd readCurrentValues();
// The reading after a programming: what the chip holds then is what
// counts, so a reading that failed is tried once more.
ReadEnd readBackValues();

// Measures the core clock into cpuInfo; false when it could not.
using CoreClockMeasurement = bool (*)();

struct Programming {
    ProgramEnd end;
    bool busBusy;  // another program held the SMBus: nothing was done (a box said so)
};
// Batch mode: one burst that programs `requested`.
Programming programInBurst(const ClockSetting& requested);
// "Set New Values" up to its read-back: one burst that programs `requested`,
// then, unless nothing was written, the pause while the clocks settle and
// the core clock measured again.
Programming programAndSettle(const ClockSetting& requested, CoreClockMeasurement measure);

// The chip holds what was asked for: its FSB moves in 0.5 MHz steps, so a
// request between steps (a file's 133.3 MHz) is held as the step below.
bool holdsSetting(const ClockSetting& held, const ClockSetting& requested);

// What the clock generator can be programmed with: an FSB from 2.0 to
// 257.0 MHz (not NaN) and a divider with a field value (2 to 8, or -1).
bool isProgrammableSetting(const ClockSetting& setting);

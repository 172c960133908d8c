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
    ClockRegisters before;  // what the chip held before, when end is Applied
};
// Batch mode: one burst that programs `requested`.
Programming programInBurst(const ClockSetting& requested);
// "Set New Values" up to its read-back: one burst that programs `requested`,
// then, unless nothing was written, the pause while the clocks settle and
// the core clock measured again.
Programming programAndSettle(const ClockSetting& requested, CoreClockMeasurement measure);
// The way back from new clocks nobody kept, to the registers a programming
// found: one burst, then the same pause and measurement. Applied: the chip
// holds `before` again.
Programming revertAndSettle(const ClockRegisters& before, CoreClockMeasurement measure);

// The chip holds what was asked for: its FSB moves in 0.5 MHz steps, so a
// request between steps (a file's 133.3 MHz) is held as the step below.
bool holdsSetting(const ClockSetting& held, const ClockSetting& requested);

// The FSB range the window's slider offers, in MHz, in 0.5 MHz steps.
constexpr float kLowestSelectableFsb = 90.0f;
constexpr float kHighestSelectableFsb = 257.0f;
// What the window can select, and so all that a settings file may hold to
// be applied: an FSB from 90.0 to 257.0 MHz in 0.5 MHz steps and a listed
// divider (2 to 8, or -1). A file is applied at every start-up: a setting
// nobody could have chosen is refused, not programmed.
bool isSelectableSetting(const ClockSetting& setting);

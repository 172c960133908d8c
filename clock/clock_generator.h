// The board's clock generator at SMBus address 0x69: reading the current FSB
// and divider, and programming new ones.
#pragma once

#include <cstdint>

#include "clock/clock_setting.h"

// Last setting read from the clock generator (or from a settings file in
// batch mode).
extern ClockSetting currentSetting;

// 1 and currentSetting filled; 0 when the control block or one of the three
// registers could not be read (currentSetting then keeps what it held).
int32_t readClockSetting();

// How a programming ended: what the chip holds afterwards.
enum class ProgramEnd : uint8_t {
    Applied,     // the new FSB and divider, read back as written
    Refused,     // not a setting the chip can take: no traffic at all
    Untouched,   // failed before the FSB was written: the chip keeps its setting
    BlockRefused,  // the chip answered but did not take its control block: nothing
                   // else was written, the chip keeps its setting
    RolledBack,  // failed after a write; the old registers are back and read back so
    Mixed,       // failed, and the old registers could not be put back: the chip may
                 // run at a clock nobody chose
};

// The three registers that make a setting, as the chip held them.
struct ClockRegisters {
    uint8_t fsbLow;   // register 18
    uint8_t fsbHigh;  // register 20
    uint8_t divider;  // register 31, field in bits 5..3
};
// FSB = (r18 + r20 + 4) x 0.5 MHz, exact in a float; the divider from its field.
ClockSetting settingOfRegisters(const ClockRegisters& registers);
// No register of the chip was written: Refused, Untouched, BlockRefused.
bool nothingWritten(ProgramEnd end);

// Programs FSB and divider. A failure after the first register write (a
// failed or refused transaction, a register that reads back otherwise, the
// divider not taken) puts the registers' old values back, each write tried
// again until it reads back: the chip ends with the old setting or the new
// one, never a mix of the two, as long as the bus answers. `before`, when
// given, gets the registers as they were (valid when the result is Applied).
ProgramEnd programClockSetting(float fsbMhz, RatioCode ratioCode, ClockRegisters* before = nullptr);
// 1 when programClockSetting ended Applied, else 0.
int32_t applyClockSetting(float fsbMhz, RatioCode ratioCode);

// Goes back to `target`, registers a programming found (the user did not
// keep the new clocks). Of the two orders, divider first or FSB first, the
// one whose state in between runs the PCI clock slower is taken; each write
// is tried again until it reads back. Applied: the chip holds `target`;
// Untouched or BlockRefused: nothing was written; Mixed: the bus stopped
// answering half-way.
ProgramEnd restoreClockSetting(const ClockRegisters& target);

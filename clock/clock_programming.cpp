// Programming the clock generator: the FSB registers, the pause while the
// PLL settles, the divider; and putting the old registers back when any step
// after the first write fails, so that the chip never stays at an FSB with
// another FSB's divider, or at half of an FSB.
#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "platform/platform.h"

namespace {

// The PLL needs this long on the new FSB before the divider changes.
constexpr uint32_t kSettlePauseMs = 500;
constexpr float kMinFsbMhz = 2.0f;
constexpr float kMaxFsbMhz = 257.0f;

// The registers' values before the sequence wrote them.
struct OldRegisters {
    uint8_t fsbLow;
    uint8_t fsbHigh;
    uint8_t divider;
    bool dividerKept;  // register 31 was read before its first write
};

uint32_t fieldOf(uint8_t divider) { return uint32_t{divider} >> kFieldShift & 7; }

bool holds(uint8_t reg, uint8_t value)
{
    RegisterWord word{};
    return readRegister(reg, word) && word.value == value;
}

// Both FSB registers with the echo byte of a read of register 18.
bool writeFsbPair(uint8_t echo, uint8_t value18, uint8_t value20)
{
    return writeRegister(kFsbLow, echo, value18) && writeRegister(kFsbHigh, echo, value20);
}

// Back the way the sequence came: the divider first, then the FSB, so the
// board passes only through clocks it has already run at. Judged by reading
// the registers, not by the writes: a chip that refused a write kept its old
// value. Register 16 is cleared whenever the bus still answers.
ProgramEnd rollBack(const OldRegisters& old)
{
    RegisterWord word{};
    if (old.dividerKept) {
        readRegister(kDivider, word);
        writeRegister(kDivider, word.first, old.divider);
    }
    readRegister(kFsbLow, word);
    writeRegister(kFsbLow, word.first, old.fsbLow);
    writeRegister(kFsbHigh, word.first, old.fsbHigh);
    bool restored = holds(kFsbLow, old.fsbLow) && holds(kFsbHigh, old.fsbHigh);
    const bool dividerRead = readRegister(kDivider, word);
    if (old.dividerKept) restored = restored && dividerRead && (word.value & ~kLowBits) == (old.divider & ~kLowBits);
    if (dividerRead) writeRegister(kRegister16, word.first, 0);
    return restored ? ProgramEnd::RolledBack : ProgramEnd::Mixed;
}

// Everything from the first write on; false at the first step that failed.
// `old` gets each register's value before that register is written.
bool programRegisters(uint8_t echo, uint8_t value18, uint8_t value20, int32_t field, OldRegisters& old,
                      RegisterWord& last)
{
    if (!writeFsbPair(echo, value18, value20) || !holds(kFsbLow, value18) || !holds(kFsbHigh, value20)) return false;
    // Bits 1..0 go to 11 before the field; whether they stay so is the chip's
    // affair: the field read back below is what counts.
    RegisterWord divider{};
    if (!readRegister(kDivider, divider)) return false;
    old.divider = divider.value;
    old.dividerKept = true;
    if (!writeRegister(kDivider, divider.first, static_cast<uint8_t>(divider.value | kLowBits))) return false;
    if (!readRegister(kDivider, divider)) return false;
    platformTiming().sleepMs(kSettlePauseMs);
    if (!readRegister(kDivider, divider)) return false;
    if (field >= 0) {
        const uint8_t value = static_cast<uint8_t>((divider.value & kKeptBits) | field << kFieldShift);
        if (!writeRegister(kDivider, divider.first, value)) return false;
    }
    // This read also gives register 16's write its echo byte.
    if (!readRegister(kDivider, last)) return false;
    return field < 0 || fieldOf(last.value) == static_cast<uint32_t>(field);
}

}  // namespace

ProgramEnd programClockSetting(float fsbMhz, RatioCode ratioCode)
{
    // Refused before any traffic: a float outside the int range does not
    // convert, and the register arithmetic would wrap into a random clock.
    if (!(fsbMhz >= kMinFsbMhz && fsbMhz <= kMaxFsbMhz)) return ProgramEnd::Refused;
    const int32_t t = static_cast<int32_t>(fsbMhz);
    const int32_t n = static_cast<int32_t>(fsbMhz * -2.0);
    // r18 + r20 + 4 = 2 x FSB: the odd half MHz goes to register 20.
    const uint8_t value18 = static_cast<uint8_t>(t - 2);
    const uint8_t value20 = static_cast<uint8_t>(0xFE - n - t);

    const Preparation prepared = prepareControlBlock();
    if (prepared == Preparation::NotRead) return ProgramEnd::Untouched;
    // Both FSB registers are read before either is written: a failure later
    // needs both old values back.
    OldRegisters old{};
    RegisterWord low{};
    RegisterWord high{};
    if (prepared == Preparation::NotWritten || !readRegister(kFsbLow, low) || !readRegister(kFsbHigh, high)) {
        clearRegister16();
        return ProgramEnd::Untouched;
    }
    old.fsbLow = low.value;
    old.fsbHigh = high.value;
    RegisterWord last{};
    if (!programRegisters(low.first, value18, value20, dividerField(ratioCode), old, last)) return rollBack(old);
    // Housekeeping: the chip holds the new setting whatever this write does.
    writeRegister(kRegister16, last.first, 0);
    return ProgramEnd::Applied;
}

int32_t applyClockSetting(float fsbMhz, RatioCode ratioCode)
{
    return programClockSetting(fsbMhz, ratioCode) == ProgramEnd::Applied ? 1 : 0;
}

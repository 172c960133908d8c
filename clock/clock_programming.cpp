// Programming the clock generator: the FSB registers, the pause while the
// PLL settles, the divider; and putting the old registers back when any step
// after the first write fails, so that the chip never stays at an FSB with
// another FSB's divider, or at half of an FSB.
#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "platform/platform.h"

namespace {

constexpr float kMinFsbMhz = 2.0f;
constexpr float kMaxFsbMhz = 257.0f;

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

// Everything from the first write on; false at the first step that failed.
// `old` gets each register's value before that register is written.
bool programRegisters(uint8_t echo, uint8_t value18, uint8_t value20, int32_t field, RestoreTarget& old,
                      RegisterWord& last)
{
    if (!writeFsbPair(echo, value18, value20) || !holds(kFsbLow, value18) || !holds(kFsbHigh, value20)) return false;
    // Bits 1..0 go to 11 before the field; whether they stay so is the chip's
    // affair: the field read back below is what counts.
    RegisterWord divider{};
    if (!readRegister(kDivider, divider)) return false;
    old.registers.divider = divider.value;
    old.withDivider = true;
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

ProgramEnd programClockSetting(float fsbMhz, RatioCode ratioCode, ClockRegisters* before)
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
    RestoreTarget old{};
    RegisterWord low{};
    RegisterWord high{};
    if (prepared == Preparation::NotWritten || !readRegister(kFsbLow, low) || !readRegister(kFsbHigh, high)) {
        clearRegister16();
        return prepared == Preparation::NotWritten ? ProgramEnd::BlockRefused : ProgramEnd::Untouched;
    }
    old.registers.fsbLow = low.value;
    old.registers.fsbHigh = high.value;
    RegisterWord last{};
    if (!programRegisters(low.first, value18, value20, dividerField(ratioCode), old, last)) {
        // Back the way it came, judged by reading the registers: a chip that
        // refused a write kept its old value.
        return restoreRegisters(old) == ProgramEnd::Applied ? ProgramEnd::RolledBack : ProgramEnd::Mixed;
    }
    if (before != nullptr) *before = old.registers;
    // Housekeeping: the chip holds the new setting whatever this write does.
    writeRegister(kRegister16, last.first, 0);
    return ProgramEnd::Applied;
}

int32_t applyClockSetting(float fsbMhz, RatioCode ratioCode)
{
    return programClockSetting(fsbMhz, ratioCode) == ProgramEnd::Applied ? 1 : 0;
}

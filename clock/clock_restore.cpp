// Putting the clock generator's registers back: after a programming that
// failed half-way, and when the user does not keep new clocks. A way back
// must never run the board faster than the way there did.
#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "platform/platform.h"

namespace {

// A write that did not take is tried again this often: one lost transaction
// (a collision, another owner's kill) must not leave the board at a clock
// nobody chose.
constexpr uint32_t kTries = 3;
// The fixed PCI clock of divider code -1, in MHz.
constexpr double kFixedPciMhz = 33.34;
constexpr uint8_t kFieldBits = 7u << kFieldShift;

struct ChipState {
    uint32_t fsbHalfMhz;
    RatioCode ratio;
};

ChipState stateOf(uint8_t fsbLow, uint8_t fsbHigh, uint8_t divider)
{
    return ChipState{uint32_t{fsbLow} + fsbHigh + 4, ratioCodeOfField(uint32_t{divider} >> kFieldShift)};
}

double pciMhz(const ChipState& state)
{
    if (state.ratio == kRatioFixed) return kFixedPciMhz;
    return state.fsbHalfMhz * 0.5 / state.ratio;
}

bool readWithTries(uint8_t reg, RegisterWord& word)
{
    for (uint32_t i = 0; i < kTries; ++i)
        if (readRegister(reg, word)) return true;
    return false;
}

// Writes `value` until the register reads back so. Each write echoes the
// first byte of the read just before it; a register that already holds the
// value is not written. Judged in the end under `judged` only.
bool putBack(uint8_t reg, uint8_t value, uint8_t judged)
{
    RegisterWord word{};
    for (uint32_t i = 0; i < kTries; ++i) {
        if (!readWithTries(reg, word)) return false;
        if (word.value == value) return true;
        writeRegister(reg, word.first, value);
    }
    return readWithTries(reg, word) && (word.value & judged) == (value & judged);
}

bool putBackFsb(const ClockRegisters& target)
{
    // Both registers move the same way, so the FSB in between lies between
    // the two ends.
    return putBack(kFsbLow, target.fsbLow, 0xFF) && putBack(kFsbHigh, target.fsbHigh, 0xFF);
}

// The field is what sets the clocks; bits 1..0 go back as they were, but a
// chip revision that drops them is no failure.
bool putBackDivider(const ClockRegisters& target) { return putBack(kDivider, target.divider, kFieldBits); }

}  // namespace

ProgramEnd restoreRegisters(const RestoreTarget& target)
{
    RegisterWord low{};
    RegisterWord high{};
    RegisterWord divider{};
    if (!readWithTries(kFsbLow, low) || !readWithTries(kFsbHigh, high) || !readWithTries(kDivider, divider))
        return ProgramEnd::Untouched;
    bool restored = false;
    if (!target.withDivider) {
        restored = putBackFsb(target.registers);
    } else {
        // The two ways back differ in the state between their steps: keep
        // the one whose PCI (and AGP, twice it) clock is lower there.
        const ChipState now = stateOf(low.value, high.value, divider.value);
        const ChipState goal = stateOf(target.registers.fsbLow, target.registers.fsbHigh, target.registers.divider);
        const double dividerFirst = pciMhz(ChipState{now.fsbHalfMhz, goal.ratio});
        const double fsbFirst = pciMhz(ChipState{goal.fsbHalfMhz, now.ratio});
        if (fsbFirst < dividerFirst) {
            const bool fsbMoves = now.fsbHalfMhz != goal.fsbHalfMhz;
            restored = putBackFsb(target.registers);
            if (restored && fsbMoves && now.ratio != goal.ratio) platformTiming().sleepMs(kSettlePauseMs);
            restored = restored && putBackDivider(target.registers);
        } else {
            restored = putBackDivider(target.registers) && putBackFsb(target.registers);
        }
    }
    for (uint32_t i = 0; i < kTries && !clearRegister16(); ++i) {
    }
    return restored ? ProgramEnd::Applied : ProgramEnd::Mixed;
}

ProgramEnd restoreClockSetting(const ClockRegisters& target)
{
    Preparation prepared = Preparation::NotRead;
    for (uint32_t i = 0; i < kTries && prepared != Preparation::Done; ++i) prepared = prepareControlBlock();
    if (prepared != Preparation::Done) {
        if (prepared == Preparation::NotWritten) clearRegister16();
        return prepared == Preparation::NotWritten ? ProgramEnd::BlockRefused : ProgramEnd::Untouched;
    }
    return restoreRegisters(RestoreTarget{target, true});
}

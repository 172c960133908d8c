// The clock generator at SMBus address 0x69: its registers, the preparation
// of its control block, and reading the current setting.
#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "clock/smbus.h"

ClockSetting currentSetting = {};

namespace {

constexpr uint8_t kReadAddress = 0xD3;   // 0x69 << 1 | read
constexpr uint8_t kWriteAddress = 0xD2;  // 0x69 << 1 | write

constexpr uint8_t kControlBlock = 0;  // command of the control block
constexpr int32_t kControlBlockLength = 17;
// Bytes 8..16 of the control block as the chip must run.
constexpr uint8_t kControlBlockTail[] = {0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};
constexpr uint32_t kControlBlockTailAt = 8;

// Divider field value to RatioCode.
constexpr RatioCode kFieldRatio[8] = {2, 3, 4, 5, 6, 7, 8, kRatioFixed};

}  // namespace

bool readRegister(uint8_t reg, RegisterWord& word)
{
    word = RegisterWord{0, 0};
    return smbusReadWord(kReadAddress, reg, word.first, word.value) != 0;
}

bool writeRegister(uint8_t reg, uint8_t echo, uint8_t value)
{
    return smbusWriteWord(kWriteAddress, reg, echo, value) != 0;
}

int32_t dividerField(RatioCode ratioCode)
{
    for (int32_t field = 0; field < 8; ++field)
        if (kFieldRatio[field] == ratioCode) return field;
    return -1;
}

RatioCode ratioCodeOfField(uint32_t field) { return kFieldRatio[field & 7]; }

ClockSetting settingOfRegisters(const ClockRegisters& registers)
{
    const float fsbMhz = static_cast<float>(uint32_t{registers.fsbLow} + registers.fsbHigh + 4) * 0.5f;
    return ClockSetting{fsbMhz, ratioCodeOfField(uint32_t{registers.divider} >> kFieldShift)};
}

bool nothingWritten(ProgramEnd end)
{
    return end == ProgramEnd::Refused || end == ProgramEnd::Untouched || end == ProgramEnd::BlockRefused;
}

Preparation prepareControlBlock()
{
    // Zero-filled: positions the chip did not send go out as 0.
    uint8_t block[32] = {};
    if (smbusReadBlock(kReadAddress, kControlBlock, block) == 0) return Preparation::NotRead;
    for (uint32_t i = 0; i < sizeof kControlBlockTail; ++i) block[kControlBlockTailAt + i] = kControlBlockTail[i];
    if (smbusWriteBlock(kWriteAddress, kControlBlock, block, kControlBlockLength) != kControlBlockLength)
        return Preparation::NotWritten;
    return Preparation::Done;
}

bool clearRegister16()
{
    RegisterWord word{};
    const bool read = readRegister(kDivider, word);
    return writeRegister(kRegister16, word.first, 0) && read;
}

int32_t readClockSetting()
{
    const Preparation prepared = prepareControlBlock();
    if (prepared != Preparation::Done) {
        // A control block written in part is still followed by the end write.
        if (prepared == Preparation::NotWritten) clearRegister16();
        return 0;
    }
    RegisterWord low{};
    RegisterWord high{};
    RegisterWord divider{};
    const bool read = readRegister(kFsbLow, low) && readRegister(kFsbHigh, high) && readRegister(kDivider, divider);
    // The end write is housekeeping: the values stand whatever it does.
    clearRegister16();
    // A dead bus must not turn into a setting.
    if (!read) return 0;
    currentSetting = settingOfRegisters(ClockRegisters{low.value, high.value, divider.value});
    return 1;
}

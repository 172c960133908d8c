// The clock generator at SMBus address 0x69. Registers are reached by word
// transactions: the second data byte is the value; the first is not
// interpreted, and each write echoes the first byte of a read just before it.
#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "clock/smbus.h"
#include "platform/platform.h"

ClockSetting currentSetting = {};

namespace {

constexpr uint8_t kReadAddress = 0xD3;   // 0x69 << 1 | read
constexpr uint8_t kWriteAddress = 0xD2;  // 0x69 << 1 | write

constexpr uint8_t kControlBlock = 0;  // command of the control block
constexpr int32_t kControlBlockLength = 17;
// Bytes 8..16 of the control block as the chip must run.
constexpr uint8_t kControlBlockTail[] = {0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};
constexpr uint32_t kControlBlockTailAt = 8;

constexpr uint8_t kRegister16 = 16;
constexpr uint8_t kFsbLow = 18;
constexpr uint8_t kFsbHigh = 20;
constexpr uint8_t kDivider = 31;
constexpr uint8_t kLowBits = 0x03;       // bits 1..0 of register 31
constexpr uint8_t kKeptBits = 0xC7;      // bits 7..6 and 2..0 around the field
constexpr uint32_t kFieldShift = 3;

// Divider field value to RatioCode.
constexpr RatioCode kFieldRatio[8] = {2, 3, 4, 5, 6, 7, 8, kRatioFixed};

// The PLL needs this long on the new FSB before the divider changes.
constexpr uint32_t kSettlePauseMs = 500;
constexpr float kMinFsbMhz = 2.0f;
constexpr float kMaxFsbMhz = 257.0f;

// Set when a transaction of the running sequence failed.
bool transactionFailed = false;
// Set when a register read back after its write does not hold the value:
// a chip can acknowledge a write and keep what it had.
bool notHeld = false;
// Register 31 as the last read of it in the running sequence found it.
uint8_t lastDivider = 0;

struct RegisterWord {
    uint8_t first;
    uint8_t value;
};

RegisterWord readWord(uint8_t reg)
{
    RegisterWord word{0, 0};
    if (smbusReadWord(kReadAddress, reg, word.first, word.value) == 0) transactionFailed = true;
    if (reg == kDivider) lastDivider = word.value;
    return word;
}

void writeWord(uint8_t reg, uint8_t first, uint8_t value)
{
    if (smbusWriteWord(kWriteAddress, reg, first, value) == 0) transactionFailed = true;
}

}  // namespace

int32_t dividerField(RatioCode ratioCode)
{
    for (int32_t field = 0; field < 8; ++field)
        if (kFieldRatio[field] == ratioCode) return field;
    return -1;
}

RatioCode ratioCodeOfField(uint32_t field) { return kFieldRatio[field & 7]; }

int32_t prepareClockGenerator()
{
    // Zero-filled: positions the chip did not send go out as 0.
    uint8_t block[32] = {};
    if (smbusReadBlock(kReadAddress, kControlBlock, block) == 0) {
        transactionFailed = true;
        return 0;
    }
    for (uint32_t i = 0; i < sizeof kControlBlockTail; ++i) block[kControlBlockTailAt + i] = kControlBlockTail[i];
    if (smbusWriteBlock(kWriteAddress, kControlBlock, block, kControlBlockLength) != kControlBlockLength) {
        transactionFailed = true;
        return 0;
    }
    return 1;
}

uint8_t readClockRegister(uint8_t reg) { return readWord(reg).value; }

int32_t writeFsbRegisters(uint8_t value18, uint8_t value20)
{
    const uint8_t echo = readWord(kFsbLow).first;
    writeWord(kFsbLow, echo, value18);
    writeWord(kFsbHigh, echo, value20);
    if (readWord(kFsbLow).value != value18) notHeld = true;
    if (readWord(kFsbHigh).value != value20) notHeld = true;
    return 1;
}

int32_t setRegister31LowBits()
{
    const RegisterWord word = readWord(kDivider);
    writeWord(kDivider, word.first, static_cast<uint8_t>(word.value | kLowBits));
    return (readWord(kDivider).value & kLowBits) == kLowBits ? 1 : 0;
}

int32_t writeRatioField(RatioCode ratioCode)
{
    const RegisterWord word = readWord(kDivider);
    const int32_t field = dividerField(ratioCode);
    if (field < 0) return 0;
    writeWord(kDivider, word.first, static_cast<uint8_t>((word.value & kKeptBits) | field << kFieldShift));
    return 1;
}

int32_t clearRegister16()
{
    const uint8_t echo = readWord(kDivider).first;
    writeWord(kRegister16, echo, 0);
    return 1;
}

int32_t readClockSetting()
{
    transactionFailed = false;
    if (prepareClockGenerator() == 0) return 0;
    const uint32_t a = readClockRegister(kFsbLow);
    const uint32_t b = readClockRegister(kFsbHigh);
    // FSB = (r18 + r20 + 4) x 0.5 MHz: exact in a float.
    const float fsbMhz = static_cast<float>(a + b + 4) * 0.5f;
    const uint32_t c = readClockRegister(kDivider);
    const RatioCode ratioCode = ratioCodeOfField(c >> kFieldShift);
    clearRegister16();
    // A dead bus must not turn into a setting.
    if (transactionFailed) return 0;
    currentSetting = ClockSetting{fsbMhz, ratioCode};
    return 1;
}

int32_t applyClockSetting(float fsbMhz, RatioCode ratioCode)
{
    // Refused before any traffic: a float outside the int range does not
    // convert, and the register arithmetic would wrap into a random clock.
    if (!(fsbMhz >= kMinFsbMhz && fsbMhz <= kMaxFsbMhz)) return 0;
    const int32_t t = static_cast<int32_t>(fsbMhz);
    const int32_t n = static_cast<int32_t>(fsbMhz * -2.0);
    transactionFailed = false;
    notHeld = false;
    if (prepareClockGenerator() == 0) return 0;
    // r18 + r20 + 4 = 2 x FSB: the odd half MHz goes to register 20.
    const uint8_t value18 = static_cast<uint8_t>(t - 2);
    const uint8_t value20 = static_cast<uint8_t>(0xFE - n - t);
    writeFsbRegisters(value18, value20);
    // The divider is chosen for the new FSB: with the old one still running
    // it could push PCI and AGP far above their rating. Stop here.
    if (transactionFailed || notHeld) return 0;
    if (setRegister31LowBits() == 0) notHeld = true;
    platformTiming().sleepMs(kSettlePauseMs);
    writeRatioField(ratioCode);
    // clearRegister16 reads register 31 once more: the divider as it stands.
    clearRegister16();
    const int32_t field = dividerField(ratioCode);
    if (field >= 0 && (lastDivider >> kFieldShift & 7) != static_cast<uint32_t>(field)) notHeld = true;
    return transactionFailed || notHeld ? 0 : 1;
}

#include "sim/clock_chip.h"

#include "sim/board.h"

namespace sim {

namespace {
constexpr uint32_t kFsbLow = 18;
constexpr uint32_t kFsbHigh = 20;
constexpr uint32_t kDivider = 31;

constexpr int32_t kFieldRatio[8] = {2, 3, 4, 5, 6, 7, 8, -1};

// Power-on contents. Bytes 0..16 form the control block; 18, 20 and 31 are
// filled from the FSB and divider at reset.
constexpr uint8_t kPowerOn[ClockChip::kRegisterCount] = {
    0x41, 0x32, 0x5A, 0x00, 0x7F, 0x21, 0x40, 0x13,  // 0..7
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 8..15: output enables
    0x11, 0x06, 0x00, 0x2C, 0x00, 0x08, 0x00, 0x00,  // 16..23
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 24..31
};
}  // namespace

int32_t ratioCodeOfField(uint32_t field) { return kFieldRatio[field & 7]; }

int32_t fieldOfRatioCode(int32_t ratioCode)
{
    for (int32_t f = 0; f < 8; ++f)
        if (kFieldRatio[f] == ratioCode) return f;
    return -2;
}

void ClockChip::reset(Board* board, uint16_t fsbHalfMhz, int32_t ratioCode)
{
    board_ = nullptr;
    for (uint32_t i = 0; i < kRegisterCount; ++i) regs_[i] = kPowerOn[i];
    // FSB = (r18 + r20 + 4) x 0.5 MHz; the odd half goes to r20.
    regs_[kFsbLow] = static_cast<uint8_t>(fsbHalfMhz / 2 - 2);
    regs_[kFsbHigh] = static_cast<uint8_t>(fsbHalfMhz - fsbHalfMhz / 2 - 2);
    int32_t field = fieldOfRatioCode(ratioCode);
    if (field < 0) field = 2;
    // Bits 7..6 and 2 hold other outputs' settings (the BIOS sets bit 6);
    // 1..0 are clear at power-on.
    regs_[kDivider] = static_cast<uint8_t>(0xC4 | field << 3);
    reportedCount_ = kBlockLength;
    blockWrites_ = 0;
    nakRegister_ = -1;
    stuckRegister_ = -1;
    dropsLowBits_ = false;
    board_ = board;
    follow();
}

void ClockChip::setReg(uint32_t index, uint8_t value)
{
    if (index >= kRegisterCount) return;
    regs_[index] = value;
    if (index == kFsbLow || index == kFsbHigh || index == kDivider) follow();
}

// The chip answers every read with its byte count first, as in a block
// read; the register's value comes second.
void ClockChip::readWord(uint8_t command, uint8_t& first, uint8_t& second)
{
    first = reportedCount_;
    second = reg(command);
}

// The first data byte of a write is taken as a count and ignored.
void ClockChip::writeWord(uint8_t command, uint8_t, uint8_t second) { busWrite(command, second); }

void ClockChip::busWrite(uint32_t index, uint8_t value)
{
    if (static_cast<int32_t>(index) == stuckRegister_) return;
    if (index == kDivider && dropsLowBits_) value = static_cast<uint8_t>(value & ~0x03);
    setReg(index, value);
}

uint8_t ClockChip::blockCount(uint8_t) { return reportedCount_; }

// A read past the count goes on through the register file, then 0xFF.
uint8_t ClockChip::blockByte(uint8_t command, uint32_t index) { return reg(command + index); }

void ClockChip::writeBlock(uint8_t command, const uint8_t* bytes, uint32_t count)
{
    ++blockWrites_;
    for (uint32_t i = 0; i < count; ++i) busWrite(command + i, bytes[i]);
}

// The PLL takes a new FSB or divider as soon as the write of register 18,
// 20 or 31 ends: between the two FSB writes the board briefly runs at the
// mixed value, as the real chip would.
void ClockChip::follow()
{
    if (board_ == nullptr) return;
    const uint16_t half = static_cast<uint16_t>(regs_[kFsbLow] + regs_[kFsbHigh] + 4);
    const int32_t ratio = ratioCodeOfField(regs_[kDivider] >> 3);
    if (half != board_->runningFsbHalfMhz() || ratio != board_->runningRatioCode()) board_->setRunningClock(half, ratio);
}

}  // namespace sim

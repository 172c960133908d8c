// The registers of the clock generator and the steps its two sequences are
// made of.
#pragma once

#include <cstdint>

#include "clock/clock_generator.h"
#include "clock/clock_setting.h"

constexpr uint8_t kRegister16 = 16;  // written with 0 at the end of both sequences
constexpr uint8_t kFsbLow = 18;      // FSB = (r18 + r20 + 4) x 0.5 MHz
constexpr uint8_t kFsbHigh = 20;
constexpr uint8_t kDivider = 31;           // divider field in bits 5..3
constexpr uint8_t kLowBits = 0x03;         // bits 1..0 of register 31, set before the field
constexpr uint8_t kKeptBits = 0xC7;        // bits 7..6 and 2..0 around the field
constexpr uint32_t kFieldShift = 3;
// The PLL needs this long on a new FSB before the divider changes.
constexpr uint32_t kSettlePauseMs = 500;

// One word transaction with a register: the value is the second data byte;
// the first is not interpreted, and every write echoes the first byte of a
// read made just before it.
struct RegisterWord {
    uint8_t first;
    uint8_t value;
};
// False when the transaction failed (the word then holds what the host's
// data registers gave, or 0).
bool readRegister(uint8_t reg, RegisterWord& word);
bool writeRegister(uint8_t reg, uint8_t echo, uint8_t value);

enum class Preparation : uint8_t { Done, NotRead, NotWritten };
// Block read of the control block at command 0, bytes 8..16 set, block
// write of 17 bytes. NotRead: nothing was written.
Preparation prepareControlBlock();
// Word read of register 31 for its first byte, then 0 written to register
// 16 with it. True when both transactions went through.
bool clearRegister16();

// What a way back puts into the chip. The divider stays as it is when the
// sequence never wrote it.
struct RestoreTarget {
    ClockRegisters registers;
    bool withDivider;
};
// Puts `target` back. Applied: every register reads back so; Untouched: the
// registers could not even be read, nothing was written; Mixed: the bus
// stopped answering half-way. Register 16 is cleared afterwards.
ProgramEnd restoreRegisters(const RestoreTarget& target);

// Divider field (bits 5..3 of register 31) of a RatioCode, or -1 for none.
int32_t dividerField(RatioCode ratioCode);
RatioCode ratioCodeOfField(uint32_t field);

// The steps the two clock-generator sequences are made of.
#pragma once

#include <cstdint>

#include "clock/clock_setting.h"

// Block read of the control block at command 0, bytes 8..16 set, block
// write of 17 bytes. 0 when the block read failed (nothing is written back)
// or the block write failed.
int32_t prepareClockGenerator();
// The register's value (the second data byte of a word read).
uint8_t readClockRegister(uint8_t reg);
int32_t writeFsbRegisters(uint8_t value18, uint8_t value20);
// 1 when bits 1..0 of register 31 read back as 11.
int32_t setRegister31LowBits();
// 0 for a code without a divider field value (nothing written).
int32_t writeRatioField(RatioCode ratioCode);
int32_t clearRegister16();

// Divider field (bits 5..3 of register 31) of a RatioCode, or -1 for none.
int32_t dividerField(RatioCode ratioCode);
RatioCode ratioCodeOfField(uint32_t field);

// The text of the SMBus trace, formatted without the C library so that the
// simulated-board program and the simulated driver write identical lines.
#pragma once

#include <stdint.h>

#include "sim/board.h"

namespace sim {

// Room for the longest line, with its newline and terminator.
constexpr uint32_t kTraceLineSize = 48 + 3 * SmbusTransaction::kDataCapacity;

// "0xD3 cmd 0x12 word  data 11 83 -> done" and a newline; NUL-terminated,
// cut to `size`. Returns the length.
uint32_t formatTraceLine(const SmbusTransaction& transaction, char* line, uint32_t size);

// "end: FSB 150.0 MHz, divider 5" and a newline: the clock the board ended at.
uint32_t formatTraceEnd(const Board& board, char* line, uint32_t size);

}  // namespace sim

// The simulated variant's trace= file: one line per SMBus transaction the
// board's host controller put on the wire.
#pragma once

#include "sim/board.h"

namespace zornik {

void startTrace(sim::Board& board, const char* path);
void stopTrace();

// The line for one transaction, NUL-terminated; returns its length.
uint32_t formatTransaction(const sim::SmbusTransaction& transaction, char* line, uint32_t size);

}  // namespace zornik

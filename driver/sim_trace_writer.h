// The simulated variant's trace= file: one line per SMBus transaction the
// board's host controller put on the wire, and the clock the board ended at
// when the driver stops, in the simulated-board program's format.
#pragma once

#include "sim/board.h"

namespace zornik {

void startTrace(sim::Board& board, const char* path);
void stopTrace();

}  // namespace zornik

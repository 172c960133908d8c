// The simulated variant's record of every port cycle the board saw, written
// to "qz8_ports.txt" beside the driver when that file exists: tests use it to
// see that a refused request never reached the board.
#pragma once

#include "driver/machine.h"
#include "sim/board.h"

namespace zornik {

void startPortLog(sim::Board& board, const MachineStart& start);
void stopPortLog();

}  // namespace zornik

#pragma once

#include <cstdint>

#include "sim/scenario.h"

namespace sim {

// Reads the scenario from the QZ8_SIM environment variable (the stock board
// when it is unset). False with a reason for a refused key or value.
bool scenarioFromEnvironment(Scenario& scenario, char* error, uint32_t errorSize);

}  // namespace sim

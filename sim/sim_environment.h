#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "sim/scenario.h"

namespace sim {

// Reads the scenario from the QZ8_SIM environment variable (the stock board
// when it is unset). A refused key or value is said through `notifier`, in a
// box captioned QZ8_SIM, and gives false.
bool scenarioFromEnvironment(Scenario& scenario, Notifier& notifier);

}  // namespace sim

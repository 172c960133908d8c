#include "sim/sim_environment.h"

#include <cstdlib>

namespace sim {

bool scenarioFromEnvironment(Scenario& scenario, char* error, uint32_t errorSize)
{
    return parseScenario(std::getenv("QZ8_SIM"), scenario, error, errorSize);
}

}  // namespace sim

#include "sim/sim_environment.h"

#include <cstdlib>

namespace sim {

bool scenarioFromEnvironment(Scenario& scenario, Notifier& notifier)
{
    char error[200];
    if (parseScenario(std::getenv("QZ8_SIM"), scenario, error, sizeof error)) return true;
    notifier.showMessage(error, "QZ8_SIM", kIconError);
    return false;
}

}  // namespace sim

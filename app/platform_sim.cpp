// qz8fsb-sim: the application on the simulated board chosen by QZ8_SIM, with
// real message boxes.
#include "app/app_platform.h"

#include "platform/platform.h"
#include "platform/win32/win32_notifier.h"
#include "sim/sim_environment.h"
#include "sim/sim_platform.h"

namespace {
sim::SimMachine machine;
Win32Notifier notifier;
}  // namespace

int32_t installAppPlatform()
{
    sim::Scenario scenario;
    char error[200];
    if (!sim::scenarioFromEnvironment(scenario, error, sizeof error)) {
        notifier.showMessage(error, "QZ8_SIM", kIconError);
        return 2;
    }
    machine.board.configure(scenario);
    installPlatform(machine.platform(notifier));
    return 0;
}

void releaseAppPlatform() {}

// qz8fsb-sim: the application on the simulated board chosen by QZ8_SIM, with
// real message boxes.
#include "app/app_platform.h"

#include "platform/platform.h"
#include "platform/win32/win32_bus_lock.h"
#include "platform/win32/win32_notifier.h"
#include "sim/sim_environment.h"
#include "sim/sim_platform.h"
#include "sim/sim_trace.h"

namespace {
sim::SimMachine machine;
Win32Notifier notifier;
// The simulated board is the program's own, but copies still take turns, as
// on the real bus: that is how two processes are seen to exclude each other.
Win32BusLock busLock;
}  // namespace

int32_t installAppPlatform()
{
    sim::Scenario scenario;
    if (!sim::scenarioFromEnvironment(scenario, notifier)) return 2;
    machine.board.configure(scenario);
    Platform platform = machine.platform(notifier);
    platform.busLock = &busLock;
    installPlatform(platform);
    // A trace that was asked for but cannot be written would pass unnoticed
    // in a windowed program: refuse like a bad QZ8_SIM.
    if (!sim::startSimTrace(machine.board)) {
        notifier.showMessage("Unable to write the trace file named by trace=.", "QZ8_SIM", kIconError);
        return 2;
    }
    return 0;
}

void releaseAppPlatform() { sim::finishSimTrace(machine.board); }

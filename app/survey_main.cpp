// qz8-survey: the start-up hardware survey on the simulated board (load the
// driver, open the device, scan the PCI bus, close the device), printed.
#include <cstdio>

#include "app/pci_report.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/console_notifier.h"
#include "sim/sim_environment.h"
#include "sim/sim_platform.h"

namespace {
sim::SimMachine machine;
ConsoleNotifier notifier;
}  // namespace

int main()
{
    sim::Scenario scenario;
    char error[200];
    if (!sim::scenarioFromEnvironment(scenario, error, sizeof error)) {
        std::fprintf(stderr, "%s\n", error);
        return 2;
    }
    machine.board.configure(scenario);
    installPlatform(machine.platform(notifier));

    std::printf("Simulated board: %s\n", sim::boardName(scenario.board));
    driverLoaded = loadDriver();
    if (driverLoaded == 0 || openDevice() == 0) {
        std::fprintf(stderr, "the hardware channel did not open\n");
        unloadDriver();
        return 1;
    }
    scanPciBus();
    closeDevice();
    unloadDriver();
    printPciTable(pciDeviceTable, stdout);
    return 0;
}

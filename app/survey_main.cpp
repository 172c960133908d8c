// qz8-survey: the start-up hardware survey on the simulated board (load the
// driver, open the device, scan the PCI bus, find the SMBus host, read the
// clock generator, close the device), printed.
#include <cstdio>

#include "app/pci_report.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/console_notifier.h"
#include "sim/sim_environment.h"
#include "sim/sim_platform.h"
#include "sim/sim_trace.h"

namespace {
sim::SimMachine machine;
ConsoleNotifier notifier;
}  // namespace

int main()
{
    sim::Scenario scenario;
    if (!sim::scenarioFromEnvironment(scenario, notifier)) return 2;
    machine.board.configure(scenario);
    installPlatform(machine.platform(notifier));
    if (!sim::startSimTrace(machine.board)) return 2;

    std::printf("Simulated board: %s\n", sim::boardName(scenario.board));
    driverLoaded = loadDriver();
    if (driverLoaded == 0 || openDevice() == 0) {
        std::fprintf(stderr, "the hardware channel did not open\n");
        unloadDriver();
        return 1;
    }
    scanPciBus();
    findSmbusController();
    const int32_t clockRead = smbusPorts.base != 0 ? readClockSetting() : 0;
    closeDevice();
    unloadDriver();
    printPciTable(pciDeviceTable, stdout);
    if (smbusPorts.base == 0) {
        std::printf("SMBus: none found\n");
    } else {
        std::printf("SMBus host at 0x%04X\n", static_cast<unsigned>(smbusPorts.base));
        if (clockRead == 1)
            std::printf("Clock generator: FSB %.1f MHz, divider %d\n", static_cast<double>(currentSetting.fsbMhz),
                        static_cast<int>(currentSetting.ratioCode));
        else
            std::printf("Clock generator: no answer\n");
    }
    sim::finishSimTrace(machine.board);
    return 0;
}

// qz8-bench: figures of the simulated board, one `name value unit` line
// each. Each figure group is one small function.
#include <cstdio>

#include "bench/core_clock_figures.h"
#include "bench/tick_figures.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/console_notifier.h"
#include "sim/sim_platform.h"

namespace {

class PortCounter final : public sim::PortObserver {
public:
    void onPortAccess(const sim::PortAccess&) override { ++count; }
    uint64_t count = 0;
};

ConsoleNotifier notifier;

void printMs(const char* group, double ms) { std::printf("%s.virtual_time %.3f ms\n", group, ms); }
void printCount(const char* group, uint64_t count)
{
    std::printf("%s.port_operations %llu ops\n", group, static_cast<unsigned long long>(count));
}

// Runs `work` on `machine` and prints its virtual time and port operations.
template <typename Work>
void measure(sim::SimMachine& machine, const char* name, Work work)
{
    PortCounter counter;
    machine.board.setObserver(&counter);
    const uint64_t before = machine.board.clock().nowNs();
    work();
    const double ms = static_cast<double>(machine.board.clock().nowNs() - before) / 1e6;
    machine.board.setObserver(nullptr);
    printMs(name, ms);
    printCount(name, counter.count);
}

// Start-up's hardware survey: PCI scan plus SMBus discovery.
void surveyFigures(sim::SimMachine& machine)
{
    measure(machine, "survey", [] {
        scanPciBus();
        findSmbusController();
    });
}

void clockFigures(sim::SimMachine& machine)
{
    measure(machine, "read_clock_setting", [] { readClockSetting(); });
    measure(machine, "apply_clock_setting", [] { applyClockSetting(150.0f, 5); });
}

}  // namespace

int main()
{
    static sim::SimMachine machine;
    installPlatform(machine.platform(notifier));
    driverLoaded = loadDriver();
    if (driverLoaded == 0 || openDevice() == 0) {
        std::fprintf(stderr, "the hardware channel did not open\n");
        return 1;
    }
    surveyFigures(machine);
    clockFigures(machine);
    closeDevice();
    unloadDriver();
    tickFigures();
    coreClockFigures();
    return 0;
}

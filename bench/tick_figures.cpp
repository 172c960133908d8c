#include "bench/tick_figures.h"

#include <cstdio>
#include <functional>
#include <memory>

#include "steps/clock_actions.h"
#include "ident/core_clock.h"
#include "app/settings_file.h"
#include "app/startup_sequence.h"
#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "platform/console_notifier.h"
#include "sim/sim_platform.h"

namespace {

class PortCounter final : public sim::PortObserver {
public:
    void onPortAccess(const sim::PortAccess&) override { ++count; }
    uint64_t count = 0;
};

struct Action {
    const char* name;
    std::function<void()> run;
};

struct Figure {
    double ms;
    uint64_t sleeps;
    uint64_t ports;
};

constexpr char kFile[] = "qz8-bench.qz8";

// Each action on a board of its own that has just been brought up, as the
// window or batch mode would find it.
Figure measureAt(const char* tick, const Action& action)
{
    ConsoleNotifier notifier;
    sim::Scenario scenario;
    char error[100];
    sim::parseScenario(tick, scenario, error, sizeof error);
    const auto machine = std::make_unique<sim::SimMachine>(scenario);
    installPlatform(machine->platform(notifier));
    driverLoaded = 0;
    const bool survey = action.run == nullptr;
    if (!survey) bringUpHardware();
    PortCounter ports;
    machine->board.setObserver(&ports);
    const uint64_t startNs = machine->board.clock().nowNs();
    const uint64_t startSleeps = machine->timing.sleeps();
    if (survey) bringUpHardware();
    else action.run();
    machine->board.setObserver(nullptr);
    unloadDriver();
    return Figure{static_cast<double>(machine->board.clock().nowNs() - startNs) / 1e6,
                  machine->timing.sleeps() - startSleeps, ports.count};
}

}  // namespace

void tickFigures()
{
    currentSetting = ClockSetting{150.0f, 5};
    writeSettingsFile(kFile);
    const Action actions[] = {
        {"survey", nullptr},
        {"get_current_values", [] { readCurrentValues(); }},
        {"set_new_values", [] {
             programAndSettle(ClockSetting{150.0f, 5}, measureCoreClock);
             readBackValues();
         }},
        {"batch_mode", [] { runBatchMode("-file=qz8-bench.qz8"); }},
    };
    for (const Action& action : actions) {
        const Figure fine = measureAt("tick=1", action);
        const Figure coarse = measureAt("tick=15.625", action);
        for (const auto& [tick, f] : {std::pair{"tick_1ms", fine}, std::pair{"tick_15.625ms", coarse}}) {
            std::printf("%s.%s.virtual_time %.3f ms\n", tick, action.name, f.ms);
            std::printf("%s.%s.sleeps %llu sleeps\n", tick, action.name, static_cast<unsigned long long>(f.sleeps));
            std::printf("%s.%s.port_operations %llu ops\n", tick, action.name,
                        static_cast<unsigned long long>(f.ports));
        }
        std::printf("tick_ratio.%s %.3f x\n", action.name, coarse.ms / fine.ms);
    }
    std::remove(kFile);
}

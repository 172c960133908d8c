// qz8fsb-simcpu (a test program, never shipped): the production program with
// a simulated processor in place of the real CPUID and time-stamp counter,
// so that a test machine whose own processor is no Pentium 4 can drive the
// window through the real driver channel. QZ8_SIM's cpu= and fsb= choose the
// processor and the bus clock its counter runs at.
#include "app/app_platform.h"

#include "platform/platform.h"
#include "platform/win32/win32_bus_lock.h"
#include "platform/win32/win32_channel.h"
#include "platform/win32/win32_notifier.h"
#include "platform/win32/win32_timing.h"
#include "sim/model_processor.h"
#include "sim/sim_environment.h"

namespace {
Win32Channel channel;
Win32Timing timing;
Win32Notifier notifier;
Win32BusLock busLock;
}  // namespace

int32_t installAppPlatform()
{
    sim::Scenario scenario;
    if (!sim::scenarioFromEnvironment(scenario, notifier)) return 2;
    static sim::ModelProcessor processor(scenario.cpu, scenario.fsbHalfMhz, timing);
    installPlatform(Platform{&channel, &processor, &timing, &notifier, &busLock});
    return 0;
}

void releaseAppPlatform() {}

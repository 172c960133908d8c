#include "cli/survey_steps.h"

#include "cli/cli_context.h"

#include <string>

#include "platform/linux/kernel_driver.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"

int refuseKernelOwner(const CliContext& context)
{
    const int32_t index = findSouthBridge();
    if (context.pciSysfs == nullptr || index < 0) return kExitOk;
    const PciDeviceRecord& r = pciDeviceTable.records[index];
    const std::string driver = pciKernelDriver(context.pciSysfs, r.bus, r.device, r.function);
    if (driver.empty()) return kExitOk;
    if (context.options.force) {
        say(context.err, "--force: sharing the SMBus host with the kernel's %s driver", driver.c_str());
        return kExitOk;
    }
    say(context.err, "the kernel's %s driver owns the SMBus host at %x:%02x.%x; unload it first (modprobe -r %s) or use --force",
        driver.c_str(), r.bus, r.device, r.function, driver.c_str());
    return kExitUsage;
}

int surveyForSmbus(const CliContext& context)
{
    switch (surveyHardware()) {
    case SurveyResult::Ready: return refuseKernelOwner(context);
    case SurveyResult::NoDriver:
    case SurveyResult::NoDevice: say(context.err, "the hardware channel did not open"); return kExitFailure;
    case SurveyResult::NoSmbus: say(context.err, "no SMBus host controller found"); return kExitFailure;
    }
    return kExitFailure;
}

void identifyMachine()
{
    const bool open = openDevice() != 0;
    identifyCpu();
    // A refused open (another copy holds the SMBus) reads no register: no
    // memory ratio rather than an invented one.
    if (open) identifyChipset();
    closeDevice();
}

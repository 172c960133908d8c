// qz8-survey-win32: the production program's start-up survey through the
// production back end (NT line: the driver service and its device; 9x line:
// the VxD probe and the program's own port instructions), then the PCI scan
// and the SMBus host, printed as qz8fsb-cli's survey prints them, for a
// script to compare with what the machine itself reports. A test program:
// the window never shows the table.
#include <cstdio>

#include "cli/pci_lines.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/console_notifier.h"
#include "platform/platform.h"
#include "platform/win32/win32_bus_lock.h"
#include "platform/win32/win32_channel.h"
#include "platform/win32/win32_timing.h"
#include "platform/x86/x86_processor.h"
#include "steps/hardware_survey.h"

namespace {
Win32Channel channel;
X86Processor processor;
Win32Timing timing;
ConsoleNotifier notifier;
Win32BusLock busLock;
}  // namespace

int main()
{
    installPlatform(Platform{&channel, &processor, &timing, &notifier, &busLock});
    const SurveyResult survey = surveyHardware();
    const bool open = survey != SurveyResult::NoDriver && survey != SurveyResult::NoDevice && openDevice() != 0;
    if (open) {
        printPciFunctions(pciDeviceTable, stdout);
        closeDevice();
    }
    unloadDriver();
    if (!open) {
        std::fprintf(stderr, "the hardware channel did not open\n");
        return 1;
    }
    if (survey == SurveyResult::NoSmbus) {
        std::printf("SMBus host: none\n");
        return 1;
    }
    const PciDeviceRecord& host = pciDeviceTable.records[findSouthBridge()];
    std::printf("SMBus host %s at %s, base 0x%04x\n", pciId(host).c_str(), pciLocation(host).c_str(),
                static_cast<unsigned>(smbusPorts.base));
    return 0;
}

// The Windows machine: its own CPUID/RDTSC and the performance counter; the
// processor frequency Windows measured at boot ("~MHz").
#include <windows.h>

#include "bench/core_clock_figures.h"
#include "platform/console_notifier.h"
#include "platform/win32/win32_timing.h"
#include "platform/x86/x86_processor.h"

namespace {
X86Processor processor;
Win32Timing timing;
ConsoleNotifier notifier;
}  // namespace

void installMachineClock() { installPlatform(Platform{nullptr, &processor, &timing, &notifier}); }

bool machineTscReferenceMhz(double& mhz, const char*& source)
{
    source = "HKLM\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0 ~MHz";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const bool read = RegQueryValueExA(key, "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                          ERROR_SUCCESS &&
                      type == REG_DWORD;
    RegCloseKey(key);
    mhz = value;
    return read;
}

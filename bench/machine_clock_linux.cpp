// The Linux machine: its own CPUID/RDTSC and CLOCK_MONOTONIC_RAW; the TSC
// frequency the kernel calibrated at boot.
#include <cstdio>
#include <cstring>

#include "bench/core_clock_figures.h"
#include "platform/console_notifier.h"
#include "platform/linux/linux_timing.h"
#include "platform/x86/x86_processor.h"

namespace {
X86Processor processor;
LinuxTiming timing;
ConsoleNotifier notifier;

bool readTscFreqKhz(double& mhz)
{
    std::FILE* file = std::fopen("/sys/devices/system/cpu/cpu0/tsc_freq_khz", "r");
    if (file == nullptr) return false;
    unsigned long khz = 0;
    const bool read = std::fscanf(file, "%lu", &khz) == 1;
    std::fclose(file);
    mhz = static_cast<double>(khz) / 1000.0;
    return read && khz != 0;
}

// On x86 the kernel reports its calibrated tsc_khz as "cpu MHz" when it
// has no APERF/MPERF reading to show instead.
bool readCpuinfoMhz(double& mhz)
{
    std::FILE* file = std::fopen("/proc/cpuinfo", "r");
    if (file == nullptr) return false;
    char line[512];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file) != nullptr)
        found = std::strncmp(line, "cpu MHz", 7) == 0 && std::sscanf(std::strchr(line, ':') + 1, "%lf", &mhz) == 1;
    std::fclose(file);
    return found;
}
}  // namespace

void installMachineClock() { installPlatform(Platform{nullptr, &processor, &timing, &notifier}); }

bool machineTscReferenceMhz(double& mhz, const char*& source)
{
    if (readTscFreqKhz(mhz)) {
        source = "/sys/devices/system/cpu/cpu0/tsc_freq_khz";
        return true;
    }
    source = "/proc/cpuinfo cpu MHz";
    return readCpuinfoMhz(mhz);
}

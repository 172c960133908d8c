// The Windows processor and timing back ends under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "platform/win32/win32_timing.h"
#include "platform/x86/x86_processor.h"
#include "support/recording.h"

namespace {

TEST(Win32Timing, MeasurementRestoresPrioritiesAndGivesACoreClock)
{
    X86Processor cpu;
    Win32Timing timing;
    RecordingNotifier notifier;
    installPlatform(Platform{nullptr, &cpu, &timing, &notifier});
    cpuInfo = CpuInfo{};

    SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    const DWORD processClass = GetPriorityClass(GetCurrentProcess());
    const int threadPriority = GetThreadPriority(GetCurrentThread());

    const uint64_t tscBefore = cpu.readTsc();
    measureCoreClock();
    const uint64_t spanned = cpu.readTsc() - tscBefore;
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), processClass);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), threadPriority);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    // Only the low 32 bits of the time-stamp counter count: a loop slowed
    // past 2^32 ticks (CPUID trapped by a hypervisor on a loaded host) cannot
    // be measured.
    if (spanned < (uint64_t{1} << 32)) {
        EXPECT_GT(cpuInfo.coreClockMhz, 100.0f);
        EXPECT_LT(cpuInfo.coreClockMhz, 10000.0f);
    }
    cpuInfo = CpuInfo{};
}

TEST(Win32Timing, PerformanceCounterRuns)
{
    Win32Timing timing;
    EXPECT_GT(timing.perfFrequency(), 0);
    const int64_t first = timing.perfCounter();
    timing.sleepMs(2);
    EXPECT_GT(timing.perfCounter(), first);
}

}  // namespace

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

    measureCoreClock();
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), processClass);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), threadPriority);
    EXPECT_GT(cpuInfo.coreClockMhz, 100.0f);
    EXPECT_LT(cpuInfo.coreClockMhz, 10000.0f);

    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
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

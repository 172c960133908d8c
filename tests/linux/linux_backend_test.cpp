// The native Linux processor and timing back ends on the machine the tests
// run on.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "platform/linux/linux_timing.h"
#include "platform/x86/x86_processor.h"
#include "support/recording.h"

namespace {

struct Scheduling {
    int nice;
    int policy;
    int priority;
    bool operator==(const Scheduling& o) const { return nice == o.nice && policy == o.policy && priority == o.priority; }
};

Scheduling scheduling()
{
    Scheduling s{getpriority(PRIO_PROCESS, 0), 0, 0};
    sched_param param{};
    pthread_getschedparam(pthread_self(), &s.policy, &param);
    s.priority = param.sched_priority;
    return s;
}

TEST(LinuxBackEnd, MeasurementRestoresSchedulingAndGivesACoreClock)
{
    X86Processor cpu;
    LinuxTiming timing;
    RecordingNotifier notifier;
    installPlatform(Platform{nullptr, &cpu, &timing, &notifier});
    cpuInfo = CpuInfo{};

    const Scheduling before = scheduling();
    const uint64_t tscBefore = cpu.readTsc();
    measureCoreClock();
    const uint64_t spanned = cpu.readTsc() - tscBefore;
    EXPECT_TRUE(scheduling() == before);
    // Only the low 32 bits of the time-stamp counter count: a loop that took
    // 2^32 ticks or more (CPUID trapped by a hypervisor, on a loaded host)
    // cannot be measured, here as on Windows.
    if (spanned >= (uint64_t{1} << 32)) GTEST_SKIP() << "the loop took " << spanned << " ticks";
    // Any x86 machine of the last twenty-five years lies in this range.
    EXPECT_GT(cpuInfo.coreClockMhz, 100.0f);
    EXPECT_LT(cpuInfo.coreClockMhz, 10000.0f);
    cpuInfo = CpuInfo{};
}

TEST(LinuxBackEnd, CpuidNamesAVendor)
{
    X86Processor cpu;
    const CpuidRegs leaf0 = cpu.cpuid(0);
    EXPECT_GE(leaf0.eax, 1u);
    EXPECT_NE(leaf0.ebx, 0u);
    const uint64_t first = cpu.readTsc();
    EXPECT_LT(first, cpu.readTsc());
}

}  // namespace

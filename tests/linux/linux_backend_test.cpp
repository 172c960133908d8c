// The native Linux processor and timing back ends on the machine the tests
// run on.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/pm_timer.h"
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
    // The kernel's clock, whatever this machine's firmware and clocksource.
    const std::string clocksource = testing::TempDir() + "qz8-clocksource-" + std::to_string(getpid());
    std::ofstream(clocksource) << "hpet\n";
    LinuxTiming timing("/nonexistent/FACP", clocksource);
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
    std::remove(clocksource.c_str());
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

// The FADT's PM_TMR_BLK at offset 76: a port, or none.
TEST(PmTimer, ThePortIsTheFirmwaresOrNone)
{
    std::string fadt = "FACP" + std::string(112, '\0');
    const auto withPort = [&](uint32_t port) {
        std::string table = fadt;
        for (int i = 0; i < 4; ++i) table[76 + i] = static_cast<char>(port >> (8 * i));
        return table;
    };
    EXPECT_EQ(pmTimerPortOf(withPort(0x608)), 0x608);
    EXPECT_EQ(pmTimerPortOf(withPort(0)), 0) << "a hardware-reduced platform";
    EXPECT_EQ(pmTimerPortOf(withPort(0x10008)), 0) << "past the I/O space";
    EXPECT_EQ(pmTimerPortOf(withPort(0x608).substr(0, 79)), 0) << "a table cut short";
    EXPECT_EQ(pmTimerPortOf("APIC" + withPort(0x608).substr(4)), 0) << "another table";
    EXPECT_EQ(findPmTimerPort("/nonexistent/FACP"), 0);
}

// 24 bits at 3.579545 MHz wrap every 4.7 s: whole counts across the wrap,
// and a 32-bit timer's upper byte left out.
TEST(PmTimer, CountsOnAcrossTheWrap)
{
    PmTimerCount count;
    EXPECT_EQ(count.extend(0x7FFFFFF0), 0);
    EXPECT_EQ(count.extend(0x00000010), 0x20);
    EXPECT_EQ(count.extend(0x00000010), 0x20);
    EXPECT_EQ(count.extend(0x00800010), 0x800020);
}

// The kernel's clock counts only when it does not follow the time-stamp
// counter, which an FSB change moves with the core clock.
TEST(PmTimer, TheTimeBaseIsOneTheFsbDoesNotMove)
{
    struct Case {
        bool pmTimer;
        const char* clocksource;
        TimeBase base;
    };
    const Case cases[] = {
        {true, "tsc", TimeBase::PmTimer},       {false, "tsc", TimeBase::None},
        {false, "tsc-early", TimeBase::None},   {false, "", TimeBase::None},
        {false, "acpi_pm", TimeBase::KernelClock}, {false, "hpet", TimeBase::KernelClock},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseTimeBase(c.pmTimer, c.clocksource), c.base) << c.pmTimer << " " << c.clocksource;

    const std::string clocksource = testing::TempDir() + "qz8-tsc-" + std::to_string(getpid());
    std::ofstream(clocksource) << "tsc\n";
    LinuxTiming timing("/nonexistent/FACP", clocksource);
    EXPECT_EQ(timing.perfFrequency(), 0) << "no honest counter: the clock is unknown";
    std::remove(clocksource.c_str());
}

// Each processor has its own time-stamp counter: the measurement stays on
// one, and the thread may run anywhere again afterwards.
TEST(LinuxBackEnd, TheMeasurementStaysOnOneProcessor)
{
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    LinuxTiming timing;
    const SavedPriority saved = timing.raisePriority();
    cpu_set_t during;
    ASSERT_EQ(sched_getaffinity(0, sizeof during, &during), 0);
    EXPECT_EQ(CPU_COUNT(&during), 1);
    timing.restorePriority(saved);
    cpu_set_t after;
    ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
    EXPECT_TRUE(CPU_EQUAL(&after, &before));
}

}  // namespace

#include "bench/core_clock_figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "ident/core_clock.h"
#include "ident/cpu_info.h"

namespace {
constexpr int kRuns = 5;
}

void coreClockFigures()
{
    installMachineClock();
    double mhz[kRuns];
    double wallMs[kRuns];
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        measureCoreClock();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        mhz[i] = cpuInfo.coreClockMhz;
        wallMs[i] = took.count();
    }
    std::sort(mhz, mhz + kRuns);
    std::sort(wallMs, wallMs + kRuns);
    const double median = mhz[kRuns / 2];
    std::printf("core-clock %.3f MHz\n", median);
    std::printf("core-clock-spread %.3f MHz\n", mhz[kRuns - 1] - mhz[0]);
    std::printf("core-clock-wall-time %.3f ms\n", wallMs[kRuns / 2]);

    double reference = 0;
    const char* source = "";
    if (!machineTscReferenceMhz(reference, source) || reference <= 0) {
        std::fprintf(stderr, "core-clock: no calibrated TSC frequency on this machine\n");
        return;
    }
    std::fprintf(stderr, "core-clock-reference from %s\n", source);
    std::printf("core-clock-reference %.3f MHz\n", reference);
    std::printf("core-clock-error-ppm %.1f ppm\n", (median / reference - 1.0) * 1e6);
}

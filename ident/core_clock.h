// Measures the core clock: time-stamp ticks across a busy loop timed with the
// performance counter.
#pragma once

// The window's measurement, on the low 32 bits of both counters. Writes
// cpuInfo.coreClockMhz; leaves it as it was and returns false when the
// performance counter gives no usable interval.
bool measureCoreClock();
// The same loop with both counters' whole differences, where a 32-bit one
// could wrap (a slow virtual machine, a nanosecond counter), and each TSC
// reading taken between two counter readings close together. On failure, or
// for a clock outside 20 MHz to 10 GHz, cpuInfo.coreClockMhz becomes 0:
// unknown.
bool measureCoreClockWide();

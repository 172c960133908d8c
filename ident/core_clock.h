// Measures the core clock: time-stamp ticks across a busy loop timed with the
// performance counter.
#pragma once

// Writes cpuInfo.coreClockMhz; leaves it as it was when the performance
// counter gives no usable interval.
void measureCoreClock();

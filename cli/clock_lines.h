// What qz8fsb-cli prints of the processor and the clocks: "key: value"
// lines, the values as the window shows them.
#pragma once

#include <cstdio>

#include "app/window_values.h"
#include "clock/clock_setting.h"

// "clock generator: FSB 133.0 MHz, divider 1/4"
void printClockSetting(const ClockSetting& setting, std::FILE* out);
// model, core and multiplier of cpuInfo, "unknown" for what is not known.
void printProcessor(std::FILE* out);
// The window's Current row: core clock, FSB, memory, AGP and PCI.
void printClockRow(const RowTexts& row, std::FILE* out);

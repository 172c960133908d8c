// The chipset's host bridge and the memory clock ratio of the Intel 850.
#pragma once

#include <cstdint>

struct ChipsetInfo {
    int32_t memoryClockMultiplier;  // 3 or 4 on an Intel 850; 0 = not determined
};

extern ChipsetInfo chipsetInfo;

// Index in pciDeviceTable of the first host bridge, or -1.
int32_t findHostBridge();
void identifyChipset();

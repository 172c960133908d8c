// What the processor is: vendor, signature, brand string, model and core
// names, and the core-to-bus multiplier.
#pragma once

#include <cstdint>

struct CpuInfo {
    char vendorText[13];
    int32_t family;
    int32_t model;
    int32_t stepping;
    int32_t extendedFamily;
    int32_t brandIndex;
    int32_t l2CacheKb;
    char brandString[49];
    char modelName[21];
    char coreName[11];
    float clockMultiplier;  // 0 = unknown
    float coreClockMhz;     // measured
};

extern CpuInfo cpuInfo;

// 1 for an Intel family-15 processor (supported), else 0. Needs the device
// open: the multiplier is read from an MSR.
int32_t identifyCpu();

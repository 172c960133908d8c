// Decoding tables for family-15 Intel processors: the second-level cache
// descriptor, the EBC_HARD_POWERON ratio code and the brand index.
#pragma once

#include <cstdint>

// KB of second-level cache for a CPUID leaf 2 descriptor byte; 0 when the
// byte names no second-level cache we know.
int32_t l2CacheKbFor(uint32_t descriptor);

// Multiplier for the 4-bit ratio code in bits 11..8 of MSR 0x2A (models 0
// and 1); 0 where the code has no multiplier.
float hardPowerOnMultiplier(uint32_t code);

// Model name for a brand index; some indices depend on the cache size or
// the model.
const char* modelNameFor(int32_t brandIndex, int32_t l2CacheKb, int32_t model);

// "Willamette", "Northwood", or "" for later models.
const char* coreNameFor(int32_t model);

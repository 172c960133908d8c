// The processors a simulated board can carry: what CPUID answers, which
// MSRs exist, and the core-to-bus multiplier the time-stamp counter runs at.
#pragma once

#include <cstdint>

#include "sim/scenario.h"

namespace sim {

struct CpuidAnswer {
    uint32_t eax, ebx, ecx, edx;
};

struct ModelMsr {
    uint32_t index;
    uint64_t value;
};

struct ProcessorModel {
    const char* vendor;     // 12 characters
    uint32_t maxBasicLeaf;  // leaf 0 EAX
    uint32_t maxExtendedLeaf;  // leaf 0x80000000 EAX; 0 = no extended leaves at all
    CpuidAnswer leaf1;      // EAX signature, EBX bits 7..0 brand index
    CpuidAnswer leaf2;      // cache descriptors
    const char* brand;      // 48 bytes of leaves 0x80000002..4, or null
    ModelMsr msrs[2];       // index 0 = unused slot
    uint32_t multiplier;
};

const ProcessorModel& processorModel(CpuKind kind);

// What one CPUID instruction returns for `leaf` on `model`.
CpuidAnswer cpuidAnswer(const ProcessorModel& model, uint32_t leaf);

}  // namespace sim

// The processor the program runs on, through its own CPUID and RDTSC
// instructions (both unprivileged on x86).
#pragma once

#include "platform/platform.h"

class X86Processor final : public Processor {
public:
    CpuidRegs cpuid(uint32_t leaf) override;
    uint64_t readTsc() override;
};

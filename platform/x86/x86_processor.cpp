#include "platform/x86/x86_processor.h"

#include <cpuid.h>
#include <x86intrin.h>

CpuidRegs X86Processor::cpuid(uint32_t leaf)
{
    CpuidRegs r{0, 0, 0, 0};
    // Sub-leaf 0 in ECX, so leaves that take one answer the same every time.
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

uint64_t X86Processor::readTsc() { return __rdtsc(); }

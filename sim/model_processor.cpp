#include "sim/model_processor.h"

namespace sim {

CpuidRegs ModelProcessor::cpuid(uint32_t leaf)
{
    const CpuidAnswer a = cpuidAnswer(model_, leaf);
    return CpuidRegs{a.eax, a.ebx, a.ecx, a.edx};
}

// Whole seconds and the rest are scaled apart, so nothing overflows 64 bits.
uint64_t ModelProcessor::readTsc()
{
    const int64_t frequency = clock_.perfFrequency();
    const int64_t count = clock_.perfCounter();
    if (frequency <= 0 || count < 0) return 0;
    const uint64_t perSecond = static_cast<uint64_t>(frequency);
    const uint64_t now = static_cast<uint64_t>(count);
    const uint64_t ticksPerSecond = uint64_t{model_.multiplier} * fsbHalfMhz_ * 500000u;
    return now / perSecond * ticksPerSecond + now % perSecond * ticksPerSecond / perSecond;
}

}  // namespace sim

// A simulated processor on a real machine's clock: CPUID answers as one of
// the board's processors does, and the time-stamp counter ticks at its
// multiplier x a fixed bus clock, against the machine's performance counter.
// It lets the production program run on a test machine whose own processor
// is no Pentium 4, with everything else real.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "sim/processor_model.h"

namespace sim {

class ModelProcessor final : public Processor {
public:
    ModelProcessor(CpuKind cpu, uint16_t fsbHalfMhz, Timing& clock)
        : model_(processorModel(cpu)), fsbHalfMhz_(fsbHalfMhz), clock_(clock)
    {
    }

    CpuidRegs cpuid(uint32_t leaf) override;
    uint64_t readTsc() override;

private:
    const ProcessorModel& model_;
    uint16_t fsbHalfMhz_;
    Timing& clock_;
};

}  // namespace sim

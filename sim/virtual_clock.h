// The simulated board's time. Nothing waits in real time: sleeping, port
// cycles and SMBus transfers move this clock forward instead.
#pragma once

#include <cstdint>

namespace sim {

class VirtualClock {
public:
    uint64_t nowNs() const { return nowNs_; }
    void advanceNs(uint64_t ns) { nowNs_ += ns; }
    void advanceMs(uint32_t ms) { nowNs_ += uint64_t{ms} * 1000000u; }
    // Moves to an outside time, never backwards (a host that keeps its own clock).
    void advanceTo(uint64_t ns)
    {
        if (ns > nowNs_) nowNs_ = ns;
    }

private:
    uint64_t nowNs_ = 0;
};

}  // namespace sim

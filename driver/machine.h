// The hardware one driver variant serves: the machine's own ports and MSRs,
// or the simulated board. Each variant links exactly one implementation.
#pragma once

#include <stdint.h>

namespace zornik {

struct MachineStart {
    const uint16_t* serviceKey;  // the service's registry key, UTF-16
    uint32_t serviceKeyChars;
};

// Called once from DriverEntry; false refuses to load.
bool machineStart(const MachineStart& start);
void machineStop();

// Each false when the access did not happen: the instruction faulted, or
// the processor cannot be asked for this MSR.
bool machineIn(uint16_t port, bool dword, uint32_t& value);
bool machineOut(uint16_t port, bool dword, uint32_t value);
bool machineReadMsr(uint32_t index, uint64_t& value);

}  // namespace zornik

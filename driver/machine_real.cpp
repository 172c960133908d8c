// The machine's own I/O ports and MSRs, each instruction guarded: a fault
// fails the request instead of stopping the machine.
#include "driver/fault_guard.h"
#include "driver/machine.h"

namespace zornik {

namespace {

void cpuid(uint32_t leaf, uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d)
{
    __asm__ volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(leaf), "c"(0));
}

// MSRs 0x2A and 0x2C exist on Intel family-15 processors only; RDMSR of a
// missing MSR raises #GP, which in kernel mode stops the machine.
bool hasPentium4Msrs()
{
    uint32_t a, b, c, d;
    cpuid(0, a, b, c, d);
    const bool intel = b == 0x756E6547 && d == 0x49656E69 && c == 0x6C65746E;  // "GenuineIntel"
    if (!intel || a < 1) return false;
    cpuid(1, a, b, c, d);
    return (a >> 8 & 0x0F) == 0x0F;
}

bool msrsPresent = false;

}  // namespace

bool machineStart(const MachineStart&)
{
    msrsPresent = hasPentium4Msrs();
    return true;
}

void machineStop() {}

bool machineIn(uint16_t port, bool dword, uint32_t& value)
{
    return (dword ? guardedInDword(port, &value) : guardedInByte(port, &value)) != 0;
}

bool machineOut(uint16_t port, bool dword, uint32_t value)
{
    return (dword ? guardedOutDword(port, value) : guardedOutByte(port, value & 0xFF)) != 0;
}

// The family check keeps RDMSR off processors without these MSRs; the guard
// catches what the check cannot know (an emulator or a part that lacks one).
bool machineReadMsr(uint32_t index, uint64_t& value)
{
    if (!msrsPresent) return false;
    uint32_t low = 0, high = 0;
    if (guardedReadMsr(index, &low, &high) == 0) return false;
    value = uint64_t{high} << 32 | low;
    return true;
}

}  // namespace zornik

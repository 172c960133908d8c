// Port cycles a program with full port access must never make, whatever a
// caller asks: they would reach something other than the port named.
#pragma once

#include <cstdint>

constexpr uint32_t kLastIoPort = 0xFFFF;
constexpr uint32_t kResetControlPort = 0xCF9;  // ICH: bit 2 of a write resets the machine

// Byte cycles anywhere but 0xCF9; dword cycles at a multiple of 4 (an
// unaligned one is split into smaller cycles, and 0xCF8's neighbours would
// see bytes), within the 16-bit I/O space: a port above it would be cut to
// 16 bits by the instruction.
constexpr bool isSafePortCycle(uint32_t port, bool dword)
{
    if (!dword) return port <= kLastIoPort && port != kResetControlPort;
    return port % 4 == 0 && port <= kLastIoPort - 3;
}

// Where an SMBus host block may sit. The program, the driver and the
// simulated board share this rule; it is plain and freestanding.
#pragma once

#include <stdint.h>

// The host controller decodes 16 ports from its base.
constexpr uint32_t kSmbusBlockPorts = 16;

// A base the program may drive: the whole block inside the 16-bit I/O space
// (a base register near 0xFFFF plus a chipset's offset can run past it and
// wrap onto the legacy ports), above the legacy devices below 0x100 (DMA,
// interrupt controllers, timer, keyboard, CMOS), and clear of the PCI
// configuration ports 0xCF8-0xCFF (0xCF9 resets the machine).
constexpr bool isUsableSmbusBase(uint32_t base)
{
    const uint32_t last = base + kSmbusBlockPorts - 1;
    return base >= 0x100 && last <= 0xFFFF && (last < 0xCF8 || base > 0xCFF);
}

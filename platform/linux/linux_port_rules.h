// Which port cycles the Linux back end lets through: the kernel driver's
// rules, narrowed further when the kernel serves configuration space.
#pragma once

#include <cstdint>

#include "driver/request_rules.h"

// With the kernel's configuration access, the SMBus host block alone; raw,
// also the mechanism #1 and #2 ports the scan needs. Never 0xCF9, never a
// port above 0xFFFF.
bool linuxAllowsPort(zornik::Access access, uint32_t port, uint16_t smbusBase, bool osConfigSpace);

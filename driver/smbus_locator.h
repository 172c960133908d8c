// Finds the SMBus host block of a supported south bridge on PCI bus 0, so
// that the driver can open exactly its eight ports and no others.
#pragma once

#include <stdint.h>

namespace zornik {

// Reads the configuration dword at a dword-aligned offset.
using ConfigReader = uint32_t (*)(void* context, uint32_t device, uint32_t function, uint32_t offset);

// The I/O base of the first listed south-bridge function (in device and
// function order), or 0 when there is none, its block is not enabled, or it
// lies where no SMBus block may (see hw/smbus_block.h).
uint16_t locateSmbusBase(ConfigReader read, void* context);

// Configuration mechanism #1 address of bus 0, device, function, offset.
uint32_t configAddress(uint32_t device, uint32_t function, uint32_t offset);

}  // namespace zornik

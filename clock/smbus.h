// The chipset's SMBus host controller: finding it, and its four transactions.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// I/O ports of the host controller's registers; base 0 = none found.
struct SmbusPorts {
    uint32_t base;
    uint32_t statusPort;
    uint32_t controlPort;
    uint32_t commandPort;
    uint32_t addressPort;
    uint32_t data0Port;
    uint32_t data1Port;
    uint32_t blockDataPort;
};

extern SmbusPorts smbusPorts;

// Index in pciDeviceTable of the first listed south-bridge function, or -1.
int32_t findSouthBridge();
// Fills smbusPorts from the south bridge's configuration space.
void findSmbusController();

// Through the platform's SMBus path (the host controller's ports unless
// another is installed). Address bytes carry the read/write bit. Each
// returns 0 when the transaction failed (the controller or the kernel
// reported an error, or a wait gave up).
int32_t smbusReadWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second);
int32_t smbusWriteWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second);
// Reads into a buffer of at least 32 bytes; returns the byte count (0..32).
int32_t smbusReadBlock(uint8_t address, uint8_t command, uint8_t* buffer);
// Returns count when every byte went out.
int32_t smbusWriteBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count);

// One transaction as the program saw it, for a record of its own traffic.
struct SmbusExchange {
    uint8_t address;  // with the read/write bit
    uint8_t command;
    uint8_t protocol;  // host control bits 4..2: 0x0C word data, 0x14 block
    SmbusOutcome outcome;
    uint8_t count;  // bytes moved, a block's count byte first; 0 unless Done
    const uint8_t* bytes;
};
using SmbusExchangeHook = void (*)(const SmbusExchange& exchange, void* context);
// Called after every transaction that started, with `context`; nullptr for
// none. Adds no port traffic.
void setSmbusExchangeHook(SmbusExchangeHook hook, void* context);

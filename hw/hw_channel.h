// The hardware channel: the one gateway to I/O ports and model-specific
// registers. These functions keep the contracts every caller relies on; the
// installed platform back end does the actual access.
#pragma once

#include <cstdint>

// Last result of loadDriver as recorded by start-up and by openDevice's
// re-install. Gates openDevice, readMsr and the PCI scan.
extern int32_t driverLoaded;

int32_t loadDriver();
void unloadDriver();
// 1 when the device is open. A failed open loads the driver once more and
// retries once where the back end asks for it. Open to close is a burst of
// hardware work: the SMBus is this process's (another copy holding it for
// more than 2 s is said in a box and the open fails) and sleeps are precise.
int32_t openDevice();
// True when the last openDevice failed because another program held the
// SMBus (the box has said so): the action it began must end at once.
bool openRefusedForBus();
void closeDevice();

// Reads set their output to 0 first, so a failed read yields 0. Outside a
// burst every port operation fails without touching the port.
int32_t readPortByte(uint32_t port, uint8_t& value);
int32_t readPortDword(uint32_t port, uint32_t& value);
int32_t writePortByte(uint32_t port, uint8_t value);
int32_t writePortDword(uint32_t port, uint32_t value);
// True where the back end serves PCI configuration space from the operating
// system. Its reads work only inside a burst, as port reads do; outside one,
// and for an absent function, they give all ones.
bool osConfigAccess();
uint32_t readOsConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset);
// 1 only when the read succeeded and gave exactly `expected`.
int32_t checkPortByte(uint32_t port, uint8_t expected);
int32_t checkPortDword(uint32_t port, uint32_t expected);
// High half first, low half second; both left untouched on failure.
int32_t readMsr(uint32_t index, uint32_t& high, uint32_t& low);

// Back to the state of process start (for tests).
void resetHwChannel();

// What the kernel has bound to the hardware: which driver owns a PCI
// function (on Linux i2c_i801 or i2c_piix4 usually owns the SMBus host), the
// i2c adapter that driver made of it, and the kernel clients on that bus.
#pragma once

#include <cstdint>
#include <string>

constexpr char kPciSysfs[] = "/sys/bus/pci/devices";
constexpr char kI2cSysfs[] = "/sys/bus/i2c/devices";

// The driver's name from <sysfsRoot>/0000:BB:DD.F/driver, or "" for none.
std::string pciKernelDriver(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function);
// N of the i2c-N adapter the function's driver made (the lowest where there
// are several), or -1.
int pciI2cAdapter(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function);
// The adapter's name (<i2cRoot>/i2c-N/name), or "".
std::string i2cAdapterName(const char* i2cRoot, int adapter);
// The driver of the kernel client at a 7-bit address of the adapter
// (<i2cRoot>/N-00AA/driver), or "".
std::string i2cClientDriver(const char* i2cRoot, int adapter, uint8_t address);

// The kernel module that drives a listed south bridge's SMBus host, or
// nullptr where none is known.
const char* smbusHostModule(uint32_t vendorId, uint32_t deviceId);

// Which kernel driver, if any, owns a PCI function: on Linux the i2c_i801 or
// i2c_piix4 driver usually owns the SMBus host, and its transactions would
// interleave with the program's.
#pragma once

#include <cstdint>
#include <string>

constexpr char kPciSysfs[] = "/sys/bus/pci/devices";

// The driver's name from <sysfsRoot>/0000:BB:DD.F/driver, or "" for none.
std::string pciKernelDriver(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function);

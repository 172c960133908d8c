// PCI configuration space as the kernel serves it: the config file of each
// function under /sys/bus/pci/devices. The kernel takes its own lock around
// every access, so ours cannot interleave with a driver's or ACPI's, as an
// address write to 0xCF8 between another program's write and its data read
// would.
#pragma once

#include <cstdint>

// True when `root` is a folder (sysfs is mounted).
bool sysfsConfigAvailable(const char* root);
// The dword at a dword-aligned offset of <root>/0000:BB:DD.F/config; all
// ones when the function is absent or the read fails.
uint32_t readSysfsConfigDword(const char* root, uint32_t bus, uint32_t device, uint32_t function, uint32_t offset);

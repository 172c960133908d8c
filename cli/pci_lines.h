// The survey's PCI listing: one function a line, in a fixed format that a
// script can compare with what sysfs reports.
#pragma once

#include <cstdio>
#include <string>

#include "hw/pci.h"

// "0:1f.3": bus, device and function in lower-case hex.
std::string pciLocation(const PciDeviceRecord& record);
// "8086:2443"
std::string pciId(const PciDeviceRecord& record);

// "0:1f.3 8086:2443 0c05 00 SMBus controller" for each function of the
// table: location, IDs, class and subclass, header type (configuration
// offset 0x0E, read now: the device must be open), and the kind the
// survey program's listing names.
void printPciFunctions(const PciDeviceTable& table, std::FILE* out);

#pragma once

#include <cstdio>

#include "hw/pci.h"

// "SMBus controller", "host bridge", ... from the class; "other" when unnamed.
const char* pciKindName(const PciDeviceRecord& record);

// Writes the PCI device table as a readable listing, one function a line.
void printPciTable(const PciDeviceTable& table, std::FILE* out);

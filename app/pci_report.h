#pragma once

#include <cstdio>

#include "hw/pci.h"

// Writes the PCI device table as a readable listing, one function a line.
void printPciTable(const PciDeviceTable& table, std::FILE* out);

// PCI configuration reads through mechanism #1 and the start-up inventory of
// every PCI function present.
#pragma once

#include <cstdint>

struct PciDeviceRecord {
    uint32_t vendorId;
    uint32_t deviceId;
    uint32_t classCode;
    uint32_t subclass;
    uint32_t revision;
    uint32_t bus;
    uint32_t device;
    uint32_t function;
};

constexpr uint32_t kPciTableCapacity = 128;

struct PciDeviceTable {
    PciDeviceRecord records[kPciTableCapacity];
    uint32_t count;
    uint32_t slotCount;
    uint32_t functionsPerSlot;
};

extern PciDeviceTable pciDeviceTable;

// Mechanism number 2, 1, or 0 for none, with the scan's extent.
int32_t probeConfigMechanism(uint32_t& slotCount, uint32_t& functionsPerSlot);
// The configuration dword holding `offset`, shifted right by 8 x (offset mod 4).
uint32_t readPciConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset);
// Fills pciDeviceTable; needs the channel's device open.
void scanPciBus();

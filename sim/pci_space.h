// Configuration space of every PCI function on the simulated machine.
#pragma once

#include <cstdint>

namespace sim {

struct PciFunctionEntry {
    uint8_t bus;
    uint8_t device;
    uint8_t function;
    uint16_t vendorId;
    uint16_t deviceId;
    uint8_t classCode;
    uint8_t subclass;
    uint8_t progIf;
    uint8_t revision;
    uint8_t headerType;  // 0x80 marks a multi-function device, 0x01 a PCI-to-PCI bridge
};

// A dword placed into one function's configuration space after the headers.
struct PciConfigPoke {
    uint8_t bus;
    uint8_t device;
    uint8_t function;
    uint8_t offset;  // dword aligned
    uint32_t value;
};

class PciSpace {
public:
    static constexpr uint32_t kCapacity = 200;

    void clear() { count_ = 0; }
    // False when the machine is full.
    bool add(const PciFunctionEntry& entry);
    void poke(const PciConfigPoke& poke);
    // A dword of configuration space; all ones where no function answers.
    uint32_t readDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) const;
    // Configuration bytes of one function, or nullptr when it is absent.
    uint8_t* find(uint32_t bus, uint32_t device, uint32_t function);
    const uint8_t* find(uint32_t bus, uint32_t device, uint32_t function) const;
    uint32_t count() const { return count_; }

private:
    struct Function {
        uint8_t bus;
        uint8_t device;
        uint8_t function;
        uint8_t config[256];
    };
    Function functions_[kCapacity];
    uint32_t count_ = 0;
};

}  // namespace sim

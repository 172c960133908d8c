// What sits on the PCI bus of each simulated machine, as data.
#pragma once

#include <cstdint>

#include "sim/pci_space.h"
#include "sim/scenario.h"

namespace sim {

enum class ConfigMechanism : uint8_t {
    None,
    One,
    // Mechanism #1 whose byte cycles at 0xCF8-0xCFB read the bytes of
    // CONFIG_ADDRESS (writes there are lost), as some chipsets and
    // emulators answer them.
    OneAliased,
    Two,
};

// `count` functions 0..functionsPerDevice-1 on consecutive devices, all alike:
// a quick way to fill a crowded machine.
struct PciFunctionBlock {
    uint8_t bus;
    uint8_t firstDevice;
    uint8_t deviceCount;
    uint8_t functionsPerDevice;
    PciFunctionEntry model;  // bus, device and function fields are ignored
};

struct BoardLayout {
    BoardKind kind;
    ConfigMechanism mechanism;
    const PciFunctionEntry* functions;
    uint32_t functionCount;
    const PciConfigPoke* pokes;
    uint32_t pokeCount;
    const PciFunctionBlock* blocks;
    uint32_t blockCount;
};

const BoardLayout& boardLayout(BoardKind kind);

// Where a board's south bridge decodes its SMBus host block: the base
// register (bits 15..4), the register and bits that enable the decode
// (mask 0: always on), and an offset added to the base.
struct SmbusDecode {
    BoardKind kind;
    uint8_t bus;
    uint8_t device;
    uint8_t function;
    uint8_t baseOffset;
    uint8_t enableOffset;
    uint32_t enableMask;
    uint16_t addend;
};

// The SMBus host's I/O base on `pci` for a board of `kind`, 0 when nothing
// decodes it. Rules are tried in order; the first enabled one counts.
uint16_t smbusHostBase(BoardKind kind, const PciSpace& pci);

// Fills `pci` with the layout's functions, blocks and configuration values.
void populate(const BoardLayout& layout, PciSpace& pci);

}  // namespace sim

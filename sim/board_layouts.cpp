#include "sim/board_layouts.h"

namespace sim {

namespace {

template <typename T, uint32_t N>
constexpr uint32_t countOf(const T (&)[N])
{
    return N;
}

// Intel 850 MCH + ICH2, as on the QZ8-II.
constexpr PciFunctionSpec kQz8Functions[] = {
    {0, 0x00, 0, 0x8086, 0x2530, 0x06, 0x00, 0x00, 0x04, 0x00},  // host bridge (MCH)
    {0, 0x01, 0, 0x8086, 0x2532, 0x06, 0x04, 0x00, 0x04, 0x01},  // AGP bridge, secondary bus 1
    {0, 0x1E, 0, 0x8086, 0x244E, 0x06, 0x04, 0x00, 0x12, 0x01},  // hub-to-PCI bridge, secondary bus 2
    {0, 0x1F, 0, 0x8086, 0x2440, 0x06, 0x01, 0x00, 0x12, 0x80},  // LPC bridge
    {0, 0x1F, 1, 0x8086, 0x244B, 0x01, 0x01, 0x80, 0x12, 0x00},  // IDE
    {0, 0x1F, 2, 0x8086, 0x2442, 0x0C, 0x03, 0x00, 0x12, 0x00},  // USB #1
    {0, 0x1F, 3, 0x8086, 0x2443, 0x0C, 0x05, 0x00, 0x12, 0x00},  // SMBus
    {0, 0x1F, 4, 0x8086, 0x2444, 0x0C, 0x03, 0x00, 0x12, 0x00},  // USB #2
    {0, 0x1F, 5, 0x8086, 0x2445, 0x04, 0x01, 0x00, 0x12, 0x00},  // AC'97 audio
    {1, 0x00, 0, 0x10DE, 0x0110, 0x03, 0x00, 0x00, 0xB2, 0x00},  // AGP graphics card
    {2, 0x08, 0, 0x8086, 0x2449, 0x02, 0x00, 0x00, 0x03, 0x00},  // on-board LAN
};

// The RAID edition: the same, plus an ATA RAID controller on bus 2.
constexpr PciFunctionSpec kQz8RaidFunctions[] = {
    kQz8Functions[0], kQz8Functions[1], kQz8Functions[2], kQz8Functions[3], kQz8Functions[4],
    kQz8Functions[5], kQz8Functions[6], kQz8Functions[7], kQz8Functions[8], kQz8Functions[9],
    {2, 0x06, 0, 0x1103, 0x0004, 0x01, 0x80, 0x00, 0x03, 0x00},  // ATA RAID controller
    kQz8Functions[10],
};

constexpr PciConfigPoke kQz8Pokes[] = {
    {0, 0x00, 0, 0x50, 0x000002A0},  // MCH: bit 11 clear, memory clock 3 x FSB
    {0, 0x01, 0, 0x18, 0x00010100},  // AGP bridge: primary 0, secondary 1
    {0, 0x1E, 0, 0x18, 0x00020200},  // hub-to-PCI bridge: primary 0, secondary 2
    {0, 0x1F, 3, 0x20, 0x0000E801},  // SMBus I/O base 0xE800, bit 0 = I/O space
    {0, 0x1F, 3, 0x40, 0x00000001},  // SMBus host enable
};

// A mechanism #2 machine: an Intel 430FX and its PIIX.
constexpr PciFunctionSpec kMech2Functions[] = {
    {0, 0x00, 0, 0x8086, 0x122D, 0x06, 0x00, 0x00, 0x02, 0x00},
    {0, 0x07, 0, 0x8086, 0x122E, 0x06, 0x01, 0x00, 0x02, 0x80},
};

// Twenty eight-function cards on bus 3: 160 functions more than the QZ8-II has.
constexpr PciFunctionBlock kCrowdedBlocks[] = {
    {3, 0, 20, 8, {0, 0, 0, 0x1011, 0x0019, 0x02, 0x00, 0x00, 0x41, 0x80}},
};

const BoardLayout kLayouts[] = {
    {BoardKind::Stock, ConfigMechanism::One, kQz8Functions, countOf(kQz8Functions), kQz8Pokes, countOf(kQz8Pokes),
     nullptr, 0},
    {BoardKind::Raid, ConfigMechanism::One, kQz8RaidFunctions, countOf(kQz8RaidFunctions), kQz8Pokes,
     countOf(kQz8Pokes), nullptr, 0},
    {BoardKind::Mech2, ConfigMechanism::Two, kMech2Functions, countOf(kMech2Functions), nullptr, 0, nullptr, 0},
    {BoardKind::Empty, ConfigMechanism::None, nullptr, 0, nullptr, 0, nullptr, 0},
    {BoardKind::Crowded, ConfigMechanism::One, kQz8Functions, countOf(kQz8Functions), kQz8Pokes,
     countOf(kQz8Pokes), kCrowdedBlocks, countOf(kCrowdedBlocks)},
};

}  // namespace

const BoardLayout& boardLayout(BoardKind kind)
{
    for (const BoardLayout& layout : kLayouts)
        if (layout.kind == kind) return layout;
    return kLayouts[0];
}

void populate(const BoardLayout& layout, PciSpace& pci)
{
    pci.clear();
    for (uint32_t i = 0; i < layout.functionCount; ++i) pci.add(layout.functions[i]);
    for (uint32_t b = 0; b < layout.blockCount; ++b) {
        const PciFunctionBlock& block = layout.blocks[b];
        for (uint32_t d = 0; d < block.deviceCount; ++d) {
            for (uint32_t f = 0; f < block.functionsPerDevice; ++f) {
                PciFunctionSpec spec = block.model;
                spec.bus = block.bus;
                spec.device = static_cast<uint8_t>(block.firstDevice + d);
                spec.function = static_cast<uint8_t>(f);
                pci.add(spec);
            }
        }
    }
    for (uint32_t i = 0; i < layout.pokeCount; ++i) pci.poke(layout.pokes[i]);
}

}  // namespace sim

#include "sim/board_layouts.h"

namespace sim {

namespace {

template <typename T, uint32_t N>
constexpr uint32_t countOf(const T (&)[N])
{
    return N;
}

// Intel 850 MCH + ICH2, as on the QZ8-II.
constexpr PciFunctionEntry kQz8Functions[] = {
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
constexpr PciFunctionEntry kQz8RaidFunctions[] = {
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
constexpr PciFunctionEntry kMech2Functions[] = {
    {0, 0x00, 0, 0x8086, 0x122D, 0x06, 0x00, 0x00, 0x02, 0x00},
    {0, 0x07, 0, 0x8086, 0x122E, 0x06, 0x01, 0x00, 0x02, 0x80},
};

// Twenty eight-function cards on bus 3: 160 functions more than the QZ8-II has.
constexpr PciFunctionBlock kCrowdedBlocks[] = {
    {3, 0, 20, 8, {0, 0, 0, 0x1011, 0x0019, 0x02, 0x00, 0x00, 0x41, 0x80}},
};

// Discovery variants: a host bridge and the south bridge's SMBus-bearing
// function, with what its configuration space holds.
constexpr PciFunctionEntry kHostBridge = kQz8Functions[0];

#define QZ8_SOUTH_BRIDGE(name, dev, fn, vendor, id, sub)                                     \
    constexpr PciFunctionEntry name[] = {                                                    \
        kHostBridge,                                                                         \
        {0, dev, fn, vendor, id, static_cast<uint8_t>(sub >> 8), static_cast<uint8_t>(sub), 0x00, 0x02, 0x00}, \
    }
QZ8_SOUTH_BRIDGE(kIchFunctions, 0x1F, 3, 0x8086, 0x2413, 0x0C05);
QZ8_SOUTH_BRIDGE(kIch0Functions, 0x1F, 3, 0x8086, 0x2423, 0x0C05);
QZ8_SOUTH_BRIDGE(kIch4Functions, 0x1F, 3, 0x8086, 0x24C3, 0x0C05);
QZ8_SOUTH_BRIDGE(kPiix4Functions, 0x07, 3, 0x8086, 0x7113, 0x0680);
QZ8_SOUTH_BRIDGE(kVia686Functions, 0x07, 4, 0x1106, 0x3057, 0x0680);
QZ8_SOUTH_BRIDGE(kVia686AltFunctions, 0x07, 4, 0x1106, 0x3086, 0x0680);
QZ8_SOUTH_BRIDGE(kVt8233Functions, 0x11, 0, 0x1106, 0x3074, 0x0601);
QZ8_SOUTH_BRIDGE(kVt8235Functions, 0x11, 0, 0x1106, 0x3177, 0x0601);
QZ8_SOUTH_BRIDGE(kAmd766Functions, 0x07, 3, 0x1022, 0x7403, 0x0680);
QZ8_SOUTH_BRIDGE(kAmd768Functions, 0x07, 3, 0x1022, 0x740B, 0x0680);
QZ8_SOUTH_BRIDGE(kI440mxFunctions, 0x07, 3, 0x8086, 0x719B, 0x0680);
QZ8_SOUTH_BRIDGE(kSisFunctions, 0x02, 0, 0x1039, 0x0009, 0x0680);
QZ8_SOUTH_BRIDGE(kIch5Functions, 0x1F, 3, 0x8086, 0x24D3, 0x0C05);
#undef QZ8_SOUTH_BRIDGE

// An Intel 845 board: the QZ8-II's devices behind another host bridge.
constexpr PciFunctionEntry kI845Functions[] = {
    {0, 0x00, 0, 0x8086, 0x1A30, 0x06, 0x00, 0x00, 0x04, 0x00}, kQz8Functions[3], kQz8Functions[6],
};
constexpr PciConfigPoke kI845Pokes[] = {kQz8Pokes[3], kQz8Pokes[4]};

// The QZ8-II's functions with a listed south-bridge function in front.
constexpr PciFunctionEntry kNoRuleFirstFunctions[] = {
    kQz8Functions[0], kI440mxFunctions[1], kQz8Functions[6],
};
constexpr PciFunctionEntry kTwoBridgesFunctions[] = {
    kQz8Functions[0], kVt8233Functions[1], kQz8Functions[6],
};

constexpr PciConfigPoke kIchPokes[] = {{0, 0x1F, 3, 0x20, 0x0000DCD1}, {0, 0x1F, 3, 0x40, 0x00000001}};
constexpr PciConfigPoke kIch0Pokes[] = {{0, 0x1F, 3, 0x20, 0x0000E401}, {0, 0x1F, 3, 0x40, 0x00000001}};
constexpr PciConfigPoke kIch4Pokes[] = {{0, 0x1F, 3, 0x20, 0xFFFF0581}, {0, 0x1F, 3, 0x40, 0x00000001}};
constexpr PciConfigPoke kPiix4Pokes[] = {{0, 0x07, 3, 0x90, 0x00005001}, {0, 0x07, 3, 0xD0, 0x00010000}};
constexpr PciConfigPoke kVia686Pokes[] = {{0, 0x07, 4, 0x90, 0x00006001}, {0, 0x07, 4, 0x80, 0x00007001}};
constexpr PciConfigPoke kVia686AltPokes[] = {{0, 0x07, 4, 0x90, 0x00005000}, {0, 0x07, 4, 0x80, 0x00006001}};
constexpr PciConfigPoke kVia686OffPokes[] = {{0, 0x07, 4, 0x90, 0x00006000}, {0, 0x07, 4, 0x80, 0x00007000}};
constexpr PciConfigPoke kVt8233Pokes[] = {{0, 0x11, 0, 0xD0, 0x0000C001}};
constexpr PciConfigPoke kVt8235OffPokes[] = {{0, 0x11, 0, 0xD0, 0x0000C000}};
constexpr PciConfigPoke kAmd766Pokes[] = {{0, 0x07, 3, 0x58, 0x00005001}};
constexpr PciConfigPoke kAmd768Pokes[] = {{0, 0x07, 3, 0x58, 0x0000DE01}};
constexpr PciConfigPoke kI440mxPokes[] = {{0, 0x07, 3, 0x90, 0x00005001}};
constexpr PciConfigPoke kLowBasePokes[] = {{0, 0x1F, 3, 0x20, 0x00000041}, kQz8Pokes[4]};
constexpr PciConfigPoke kConfigBasePokes[] = {{0, 0x1F, 3, 0x20, 0x00000CF1}, kQz8Pokes[4]};
constexpr PciConfigPoke kAmdWrapPokes[] = {{0, 0x07, 3, 0x58, 0x0000FF91}};
constexpr PciConfigPoke kTwoBridgesPokes[] = {kVt8233Pokes[0], kQz8Pokes[3], kQz8Pokes[4]};
constexpr PciConfigPoke kNoRuleFirstPokes[] = {kI440mxPokes[0], kQz8Pokes[3], kQz8Pokes[4]};

#define QZ8_LAYOUT(kind, functions, pokes) \
    {BoardKind::kind, ConfigMechanism::One, functions, countOf(functions), pokes, countOf(pokes), nullptr, 0}
#define QZ8_LAYOUT_BARE(kind, functions) \
    {BoardKind::kind, ConfigMechanism::One, functions, countOf(functions), nullptr, 0, nullptr, 0}

const BoardLayout kLayouts[] = {
    {BoardKind::Stock, ConfigMechanism::One, kQz8Functions, countOf(kQz8Functions), kQz8Pokes, countOf(kQz8Pokes),
     nullptr, 0},
    {BoardKind::Raid, ConfigMechanism::One, kQz8RaidFunctions, countOf(kQz8RaidFunctions), kQz8Pokes,
     countOf(kQz8Pokes), nullptr, 0},
    {BoardKind::Mech2, ConfigMechanism::Two, kMech2Functions, countOf(kMech2Functions), nullptr, 0, nullptr, 0},
    {BoardKind::Empty, ConfigMechanism::None, nullptr, 0, nullptr, 0, nullptr, 0},
    {BoardKind::Crowded, ConfigMechanism::One, kQz8Functions, countOf(kQz8Functions), kQz8Pokes,
     countOf(kQz8Pokes), kCrowdedBlocks, countOf(kCrowdedBlocks)},
    QZ8_LAYOUT(Ich, kIchFunctions, kIchPokes),
    QZ8_LAYOUT(Ich0, kIch0Functions, kIch0Pokes),
    QZ8_LAYOUT(Ich4, kIch4Functions, kIch4Pokes),
    QZ8_LAYOUT(Piix4, kPiix4Functions, kPiix4Pokes),
    QZ8_LAYOUT(Via686, kVia686Functions, kVia686Pokes),
    QZ8_LAYOUT(Via686Alt, kVia686AltFunctions, kVia686AltPokes),
    QZ8_LAYOUT(Via686Off, kVia686Functions, kVia686OffPokes),
    QZ8_LAYOUT(Vt8233, kVt8233Functions, kVt8233Pokes),
    QZ8_LAYOUT(Vt8235Off, kVt8235Functions, kVt8235OffPokes),
    QZ8_LAYOUT(Amd766, kAmd766Functions, kAmd766Pokes),
    QZ8_LAYOUT(Amd768, kAmd768Functions, kAmd768Pokes),
    QZ8_LAYOUT(I440mx, kI440mxFunctions, kI440mxPokes),
    QZ8_LAYOUT_BARE(Sis, kSisFunctions),
    QZ8_LAYOUT(NoRuleFirst, kNoRuleFirstFunctions, kNoRuleFirstPokes),
    QZ8_LAYOUT(TwoBridges, kTwoBridgesFunctions, kTwoBridgesPokes),
    QZ8_LAYOUT(NoSmbus, kIch5Functions, kQz8Pokes),
    QZ8_LAYOUT(I845, kI845Functions, kI845Pokes),
    {BoardKind::AliasedBytes, ConfigMechanism::OneAliased, kQz8Functions, countOf(kQz8Functions), kQz8Pokes,
     countOf(kQz8Pokes), nullptr, 0},
    QZ8_LAYOUT(LowBase, kQz8Functions, kLowBasePokes),
    QZ8_LAYOUT(ConfigBase, kQz8Functions, kConfigBasePokes),
    QZ8_LAYOUT(AmdWrap, kAmd766Functions, kAmdWrapPokes),
};
#undef QZ8_LAYOUT
#undef QZ8_LAYOUT_BARE

// ICH family: base at 0x20, host enable in bit 0 of 0x40. PIIX4: base at
// 0x90, enable in 0xD2 bit 0. VIA: bit 0 of the base register enables it.
// AMD 766/768: the block sits 0xE0 above the power-management base.
constexpr SmbusDecode kIch2Decode = {BoardKind::Stock, 0, 0x1F, 3, 0x20, 0x40, 0x01, 0};

constexpr SmbusDecode ichDecode(BoardKind kind)
{
    SmbusDecode decode = kIch2Decode;
    decode.kind = kind;
    return decode;
}

constexpr SmbusDecode kSmbusDecodes[] = {
    kIch2Decode,
    ichDecode(BoardKind::Raid),
    ichDecode(BoardKind::Crowded),
    ichDecode(BoardKind::Ich),
    ichDecode(BoardKind::Ich0),
    ichDecode(BoardKind::Ich4),
    ichDecode(BoardKind::NoRuleFirst),
    ichDecode(BoardKind::NoSmbus),
    ichDecode(BoardKind::I845),
    ichDecode(BoardKind::AliasedBytes),
    ichDecode(BoardKind::LowBase),
    ichDecode(BoardKind::ConfigBase),
    // A 16-bit decoder: the block past 0xFFFF aliases onto the low ports.
    {BoardKind::AmdWrap, 0, 0x07, 3, 0x58, 0x58, 0, 0xE0},
    {BoardKind::Piix4, 0, 0x07, 3, 0x90, 0xD0, 0x00010000, 0},
    {BoardKind::Via686, 0, 0x07, 4, 0x90, 0x90, 0x01, 0},
    {BoardKind::Via686, 0, 0x07, 4, 0x80, 0x80, 0x01, 0},
    {BoardKind::Via686Alt, 0, 0x07, 4, 0x90, 0x90, 0x01, 0},
    {BoardKind::Via686Alt, 0, 0x07, 4, 0x80, 0x80, 0x01, 0},
    {BoardKind::Via686Off, 0, 0x07, 4, 0x90, 0x90, 0x01, 0},
    {BoardKind::Via686Off, 0, 0x07, 4, 0x80, 0x80, 0x01, 0},
    {BoardKind::Vt8233, 0, 0x11, 0, 0xD0, 0xD0, 0x01, 0},
    {BoardKind::Vt8235Off, 0, 0x11, 0, 0xD0, 0xD0, 0x01, 0},
    {BoardKind::Amd766, 0, 0x07, 3, 0x58, 0x58, 0, 0xE0},
    {BoardKind::Amd768, 0, 0x07, 3, 0x58, 0x58, 0, 0xE0},
    // Both bridges decode; the clock chip hangs on the VIA's bus.
    {BoardKind::TwoBridges, 0, 0x11, 0, 0xD0, 0xD0, 0x01, 0},
    ichDecode(BoardKind::TwoBridges),
};

}  // namespace

const BoardLayout& boardLayout(BoardKind kind)
{
    for (const BoardLayout& layout : kLayouts)
        if (layout.kind == kind) return layout;
    return kLayouts[0];
}

uint16_t smbusHostBase(BoardKind kind, const PciSpace& pci)
{
    for (const SmbusDecode& d : kSmbusDecodes) {
        if (d.kind != kind) continue;
        if (d.enableMask != 0 && (pci.readDword(d.bus, d.device, d.function, d.enableOffset) & d.enableMask) == 0)
            continue;
        const uint32_t base = pci.readDword(d.bus, d.device, d.function, d.baseOffset) & 0xFFF0;
        if (base != 0) return static_cast<uint16_t>(base + d.addend);
    }
    return 0;
}

void populate(const BoardLayout& layout, PciSpace& pci)
{
    pci.clear();
    for (uint32_t i = 0; i < layout.functionCount; ++i) pci.add(layout.functions[i]);
    for (uint32_t b = 0; b < layout.blockCount; ++b) {
        const PciFunctionBlock& block = layout.blocks[b];
        for (uint32_t d = 0; d < block.deviceCount; ++d) {
            for (uint32_t f = 0; f < block.functionsPerDevice; ++f) {
                PciFunctionEntry entry = block.model;
                entry.bus = block.bus;
                entry.device = static_cast<uint8_t>(block.firstDevice + d);
                entry.function = static_cast<uint8_t>(f);
                pci.add(entry);
            }
        }
    }
    for (uint32_t i = 0; i < layout.pokeCount; ++i) pci.poke(layout.pokes[i]);
}

}  // namespace sim

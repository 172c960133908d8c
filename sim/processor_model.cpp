#include "sim/processor_model.h"

// Written without the C library: the board model also runs inside a driver.
namespace sim {

namespace {

// Intel right-justifies its 47-character brand strings with leading blanks.
constexpr char kNorthwoodBrand[] = "              Intel(R) Pentium(R) 4 CPU 2.40GHz";
constexpr char kWillametteBrand[] = "              Intel(R) Pentium(R) 4 CPU 1500MHz";
constexpr char kCeleronBrand[] = "                Intel(R) Celeron(R) CPU 2.00GHz";
constexpr char kXeonBrand[] = "                  Intel(R) Xeon(TM) CPU 2.40GHz";
constexpr char kMobileBrand[] = "   Mobile Intel(R) Pentium(R) 4 - M CPU 1.80GHz";
constexpr char kItaniumBrand[] = "                Intel(R) Itanium(R) 2 Processor";
constexpr char kPentiumMBrand[] = "        Intel(R) Pentium(R) M processor 1.60GHz";
// AMD pads at the end instead.
constexpr char kAthlonBrand[] = "AMD Athlon(tm) 64 Processor 3200+";

static_assert(sizeof kNorthwoodBrand == 48 && sizeof kWillametteBrand == 48 && sizeof kCeleronBrand == 48 &&
                  sizeof kXeonBrand == 48 && sizeof kMobileBrand == 48 && sizeof kItaniumBrand == 48 &&
                  sizeof kPentiumMBrand == 48,
              "Intel brand strings fill 48 bytes with their terminator");

constexpr const char* kIntel = "GenuineIntel";

// MSR 0x2C (EBC_FREQUENCY_ID): ratio in bits 31..24, bus code in 18..16
// (000 100 MHz, 001 133 MHz). MSR 0x2A (EBC_HARD_POWERON) bits 11..8 carry
// the ratio code on models 0 and 1 only.
constexpr uint64_t frequencyId(uint64_t ratio, uint64_t busCode) { return ratio << 24 | busCode << 16 | 0x0F00; }

// Descriptors 0x50 0x5B 0x66 (TLBs, L1 data), 0x70 (trace cache), 0x40 (no
// L3); EDX bits 23..16 name the second-level cache.
constexpr uint32_t kLeaf2Eax = 0x665B5001;
constexpr uint32_t leaf2Edx(uint32_t l2Descriptor) { return l2Descriptor << 16 | 0x7040; }

// Leaf 1: EBX holds the APIC id, logical count and CLFLUSH size above the brand index.
constexpr uint32_t leaf1Ebx(uint32_t brandIndex) { return 0x00010800 | brandIndex; }
constexpr uint32_t kP4Features = 0xBFEBFBFF;

const ProcessorModel kNorthwood = {
    kIntel, 2, 0x80000004,
    {0x00000F27, leaf1Ebx(9), 0x00004400, kP4Features},
    {kLeaf2Eax, 0, 0, leaf2Edx(0x7B)},
    kNorthwoodBrand,
    {{0x2C, frequencyId(18, 1)}, {0x2A, 0x00C00000}},
    18,
};

const ProcessorModel kWillamette = {
    kIntel, 2, 0x80000004,
    {0x00000F12, leaf1Ebx(8), 0, 0x3FEBFBFF},
    {kLeaf2Eax, 0, 0, leaf2Edx(0x7A)},
    kWillametteBrand,
    {{0x2A, 0x0F << 8 | 0x00400000}, {0, 0}},  // code 15: 15 x 100 MHz
    15,
};

const ProcessorModel kCeleron = {
    kIntel, 2, 0x80000004,
    {0x00000F27, leaf1Ebx(10), 0x00004400, kP4Features},
    {kLeaf2Eax, 0, 0, leaf2Edx(0x79)},
    kCeleronBrand,
    {{0x2C, frequencyId(20, 0)}, {0x2A, 0x00C00000}},
    20,
};

const ProcessorModel kXeon = {
    kIntel, 2, 0x80000004,
    {0x00000F27, leaf1Ebx(11), 0x00004400, kP4Features},
    {kLeaf2Eax, 0, 0, leaf2Edx(0x7B)},
    kXeonBrand,
    {{0x2C, frequencyId(18, 1)}, {0x2A, 0x00C00000}},
    18,
};

const ProcessorModel kMobile = {
    kIntel, 2, 0x80000004,
    {0x00000F24, leaf1Ebx(14), 0x00004400, kP4Features},
    {kLeaf2Eax, 0, 0, leaf2Edx(0x7B)},
    kMobileBrand,
    {{0x2C, frequencyId(18, 0)}, {0x2A, 0x00C00000}},
    18,
};

// Itanium 2 running IA-32 code: family 15 with extended family 1.
const ProcessorModel kExtendedFamily = {
    kIntel, 2, 0x80000004,
    {0x00100F10, leaf1Ebx(0), 0, 0x00008000},
    {0, 0, 0, 0},
    kItaniumBrand,
    {{0, 0}, {0, 0}},
    12,
};

// Pentium M (Banias): family 6, brand string present.
const ProcessorModel kPentiumM = {
    kIntel, 2, 0x80000004,
    {0x00000695, leaf1Ebx(0x16), 0x00000180, 0xAFE9F9BF},
    {0x02B3B001, 0x000000F0, 0, 0x2C04307D},
    kPentiumMBrand,
    {{0x2A, 0x00C00000}, {0, 0}},
    16,
};

// Athlon 64: family 15 too, but not Intel.
const ProcessorModel kAthlon = {
    "AuthenticAMD", 1, 0x80000018,
    {0x00000F4A, 0x00000800, 0, 0x078BFBFF},
    {0, 0, 0, 0},
    kAthlonBrand,
    {{0, 0}, {0, 0}},
    10,
};

// Pentium III (Katmai): no extended leaves at all.
const ProcessorModel kPentiumIII = {
    kIntel, 3, 0,
    {0x00000672, 0, 0, 0x0383F9FF},
    {0x03020101, 0, 0, 0x0C040843},
    nullptr,
    {{0, 0}, {0, 0}},
    5,
};

// Byte i of a text padded with zero bytes past its terminator.
uint8_t paddedByte(const char* text, uint32_t i)
{
    if (text == nullptr) return 0;
    for (uint32_t k = 0; k < i; ++k)
        if (text[k] == '\0') return 0;
    return static_cast<uint8_t>(text[i]);
}

uint32_t textDword(const char* text, uint32_t offset)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < 4; ++i) value |= uint32_t{paddedByte(text, offset + i)} << (8 * i);
    return value;
}

CpuidAnswer brandLeaf(const char* brand, uint32_t leaf)
{
    const uint32_t base = (leaf - 0x80000002) * 16;
    return CpuidAnswer{textDword(brand, base), textDword(brand, base + 4), textDword(brand, base + 8),
                       textDword(brand, base + 12)};
}

CpuidAnswer answerInRange(const ProcessorModel& m, uint32_t leaf)
{
    switch (leaf) {
    case 0:
        return CpuidAnswer{m.maxBasicLeaf, textDword(m.vendor, 0), textDword(m.vendor, 8), textDword(m.vendor, 4)};
    case 1:
        return m.leaf1;
    case 2:
        return m.leaf2;
    case 0x80000000:
        return CpuidAnswer{m.maxExtendedLeaf, 0, 0, 0};
    case 0x80000002:
    case 0x80000003:
    case 0x80000004:
        return brandLeaf(m.brand, leaf);
    default:
        return CpuidAnswer{0, 0, 0, 0};
    }
}

}  // namespace

const ProcessorModel& processorModel(CpuKind kind)
{
    switch (kind) {
    case CpuKind::Northwood: return kNorthwood;
    case CpuKind::Willamette: return kWillamette;
    case CpuKind::Celeron: return kCeleron;
    case CpuKind::Xeon: return kXeon;
    case CpuKind::MobileP4: return kMobile;
    case CpuKind::ExtendedFamily: return kExtendedFamily;
    case CpuKind::Family6: return kPentiumM;
    case CpuKind::Amd: return kAthlon;
    case CpuKind::NoBrand: return kPentiumIII;
    }
    return kNorthwood;
}

// A leaf above the processor's range answers as its highest basic leaf.
CpuidAnswer cpuidAnswer(const ProcessorModel& model, uint32_t leaf)
{
    const bool extended = (leaf & 0x80000000u) != 0;
    const bool inRange = extended ? model.maxExtendedLeaf != 0 && leaf <= model.maxExtendedLeaf
                                  : leaf <= model.maxBasicLeaf;
    return answerInRange(model, inRange ? leaf : model.maxBasicLeaf);
}

}  // namespace sim

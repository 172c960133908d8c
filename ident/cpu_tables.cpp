#include "ident/cpu_tables.h"

namespace {

struct CacheDescriptor {
    uint8_t descriptor;
    int32_t kb;
};

const CacheDescriptor kL2Descriptors[] = {
    {0x39, 128}, {0x79, 128}, {0x3C, 256}, {0x7A, 256}, {0x7B, 512}, {0x7C, 1024},
};

// EBC_HARD_POWERON bits 11..8: codes 0..7 stand for 16..23, 9 and 10 for
// nothing, the rest for themselves.
const float kHardPowerOnRatios[16] = {16, 17, 18, 19, 20, 21, 22, 23, 8, 0, 0, 11, 12, 13, 14, 15};

constexpr const char* kPentium4 = "Intel Pentium 4";
constexpr const char* kCeleron = "Intel Celeron";
constexpr const char* kXeon = "Intel Pentium 4 Xeon";
constexpr const char* kMobile = "Intel Pentium 4-M";

// Index 10 is shared by Celerons and Pentium 4s: only the cache tells them
// apart. Index 14 is a Pentium 4-M on model 2, a Xeon elsewhere.
enum class Rule : uint8_t { Fixed, CeleronUpTo256Kb, MobileOnModel2 };

struct BrandRow {
    int32_t brandIndex;
    Rule rule;
    const char* name;  // for Fixed; the name when the rule's test fails otherwise
};

const BrandRow kBrandRows[] = {
    {8, Rule::Fixed, kPentium4},
    {9, Rule::Fixed, kPentium4},
    {10, Rule::CeleronUpTo256Kb, kPentium4},
    {11, Rule::Fixed, kXeon},
    {14, Rule::MobileOnModel2, kXeon},
};

const char* const kCoreNames[] = {"Willamette", "Willamette", "Northwood"};

}  // namespace

int32_t l2CacheKbFor(uint32_t descriptor)
{
    for (const CacheDescriptor& row : kL2Descriptors)
        if (row.descriptor == descriptor) return row.kb;
    return 0;
}

float hardPowerOnMultiplier(uint32_t code) { return kHardPowerOnRatios[code & 0x0F]; }

const char* modelNameFor(int32_t brandIndex, int32_t l2CacheKb, int32_t model)
{
    for (const BrandRow& row : kBrandRows) {
        if (row.brandIndex != brandIndex) continue;
        switch (row.rule) {
        case Rule::Fixed:
            return row.name;
        case Rule::CeleronUpTo256Kb:
            return l2CacheKb > 256 ? row.name : kCeleron;
        case Rule::MobileOnModel2:
            return model == 2 ? kMobile : row.name;
        }
    }
    return kPentium4;
}

const char* coreNameFor(int32_t model)
{
    if (model < 0 || model >= static_cast<int32_t>(sizeof kCoreNames / sizeof kCoreNames[0])) return "";
    return kCoreNames[model];
}

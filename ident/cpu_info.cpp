#include "ident/cpu_info.h"

#include <cstring>

#include "hw/hw_channel.h"
#include "ident/cpu_tables.h"
#include "platform/platform.h"

CpuInfo cpuInfo;

namespace {

constexpr uint32_t kLeafVendor = 0;
constexpr uint32_t kLeafSignature = 1;
constexpr uint32_t kLeafDescriptors = 2;
constexpr uint32_t kLeafExtendedMax = 0x80000000;
constexpr uint32_t kLeafBrandFirst = 0x80000002;
constexpr uint32_t kLeafBrandLast = 0x80000004;

constexpr uint32_t kMsrHardPowerOn = 0x2A;   // EBC_HARD_POWERON, models 0 and 1
constexpr uint32_t kMsrFrequencyId = 0x2C;   // EBC_FREQUENCY_ID, model 2 and later
constexpr int32_t kLastHardPowerOnKey = 0xF1F;  // family 15, model 1, stepping 15

constexpr int32_t kSupportedFamily = 15;

int32_t bits(uint32_t value, uint32_t low, uint32_t count)
{
    return static_cast<int32_t>(value >> low & ((1u << count) - 1));
}

void putRegister(char* to, uint32_t value)
{
    for (int i = 0; i < 4; ++i) to[i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// Leaf 0 names the vendor, leaf 1 gives the signature.
bool readVendorAndSignature()
{
    const CpuidRegs vendor = platformProcessor().cpuid(kLeafVendor);
    putRegister(cpuInfo.vendorText, vendor.ebx);
    putRegister(cpuInfo.vendorText + 4, vendor.edx);
    putRegister(cpuInfo.vendorText + 8, vendor.ecx);
    cpuInfo.vendorText[12] = '\0';

    const uint32_t signature = platformProcessor().cpuid(kLeafSignature).eax;
    cpuInfo.family = bits(signature, 8, 4);
    cpuInfo.model = bits(signature, 4, 4);
    cpuInfo.stepping = bits(signature, 0, 4);
    return std::memcmp(cpuInfo.vendorText, "GenuineIntel", sizeof cpuInfo.vendorText) == 0;
}

// Leaves 0x80000002..4 hold 48 bytes of brand string; Intel pads it at the
// front with blanks.
void readBrandString()
{
    if (platformProcessor().cpuid(kLeafExtendedMax).eax < kLeafBrandLast) return;
    char raw[49];
    char* at = raw;
    for (uint32_t leaf = kLeafBrandFirst; leaf <= kLeafBrandLast; ++leaf, at += 16) {
        const CpuidRegs r = platformProcessor().cpuid(leaf);
        putRegister(at, r.eax);
        putRegister(at + 4, r.ebx);
        putRegister(at + 8, r.ecx);
        putRegister(at + 12, r.edx);
    }
    raw[48] = '\0';
    const char* text = raw;
    while (*text == ' ') ++text;
    std::strcpy(cpuInfo.brandString, text);
}

void readMultiplier()
{
    const int32_t key = cpuInfo.family * 256 + cpuInfo.model * 16 + cpuInfo.stepping;
    uint32_t high = 0;
    uint32_t low = 0;
    if (key > kLastHardPowerOnKey) {
        if (readMsr(kMsrFrequencyId, high, low) == 0) return;
        cpuInfo.clockMultiplier = static_cast<float>(bits(low, 24, 5));
    } else {
        if (readMsr(kMsrHardPowerOn, high, low) == 0) return;
        cpuInfo.clockMultiplier = hardPowerOnMultiplier(static_cast<uint32_t>(bits(low, 8, 4)));
    }
}

void copyName(char* to, size_t size, const char* name)
{
    std::strncpy(to, name, size - 1);
    to[size - 1] = '\0';
}

}  // namespace

int32_t identifyCpu()
{
    if (!readVendorAndSignature()) return 0;

    cpuInfo.l2CacheKb = l2CacheKbFor(static_cast<uint32_t>(bits(platformProcessor().cpuid(kLeafDescriptors).edx, 16, 8)));
    const CpuidRegs signature = platformProcessor().cpuid(kLeafSignature);
    cpuInfo.brandIndex = bits(signature.ebx, 0, 8);
    cpuInfo.extendedFamily = bits(signature.eax, 20, 8);
    readBrandString();

    if (cpuInfo.family != kSupportedFamily) return 0;
    if (cpuInfo.extendedFamily != 0) return 1;

    readMultiplier();
    copyName(cpuInfo.modelName, sizeof cpuInfo.modelName, modelNameFor(cpuInfo.brandIndex, cpuInfo.l2CacheKb, cpuInfo.model));
    copyName(cpuInfo.coreName, sizeof cpuInfo.coreName, coreNameFor(cpuInfo.model));
    return 1;
}

// CPU identification: decoding against scripted CPUID answers (with MSRs
// from the simulated board), and every simulated processor end to end.
#include <gtest/gtest.h>

#include <string>

#include "hw/hw_channel.h"
#include "ident/cpu_info.h"
#include "support/scripted_cpu.h"
#include "support/sim_fixture.h"

namespace {

constexpr const char* kNorthwoodBrand = "              Intel(R) Pentium(R) 4 CPU 2.40GHz";

class CpuScriptTest : public SimBoardTest {
protected:
    void SetUp() override
    {
        SimBoardTest::SetUp();
        bringUp();
        installPlatform(Platform{&machine->channel, &cpu, &machine->timing, &notifier});
    }

    // A family-15 Intel part: signature, brand index and L2 descriptor byte.
    void intel(uint32_t signature, uint32_t brandIndex = 9, uint32_t l2Descriptor = 0x7B)
    {
        cpu.leaves.clear();
        cpu.identity("GenuineIntel", signature, 0x00010800 | brandIndex);
        cpu.leaves[2] = CpuidRegs{0x665B5001, 0, 0, l2Descriptor << 16 | 0x7040};
        cpu.brand(kNorthwoodBrand);
    }

    int32_t identify()
    {
        cpuInfo = CpuInfo{};
        return identifyCpu();
    }

    ScriptedProcessor cpu;
};

TEST_F(CpuScriptTest, VendorSignatureAndBrandStringWithoutLeadingBlanks)
{
    intel(0x00000F27);
    EXPECT_EQ(identify(), 1);
    EXPECT_STREQ(cpuInfo.vendorText, "GenuineIntel");
    EXPECT_EQ(cpuInfo.family, 15);
    EXPECT_EQ(cpuInfo.model, 2);
    EXPECT_EQ(cpuInfo.stepping, 7);
    EXPECT_EQ(cpuInfo.brandIndex, 9);
    EXPECT_EQ(cpuInfo.l2CacheKb, 512);
    EXPECT_STREQ(cpuInfo.brandString, "Intel(R) Pentium(R) 4 CPU 2.40GHz");

    cpu.brand("  a  b");
    identify();
    EXPECT_STREQ(cpuInfo.brandString, "a  b") << "only the leading blanks go";
}

TEST_F(CpuScriptTest, NoBrandStringWithoutExtendedLeavesUpTo0x80000004)
{
    for (uint32_t maxLeaf : {0x80000003u, 0x00000002u}) {
        intel(0x00000F27);
        cpu.leaves[0x80000000] = CpuidRegs{maxLeaf, 0, 0, 0};
        EXPECT_EQ(identify(), 1);
        EXPECT_STREQ(cpuInfo.brandString, "") << std::hex << maxLeaf;
        EXPECT_STREQ(cpuInfo.modelName, "Intel Pentium 4");
    }
}

// MSR 0x2A holds code 3 (19), MSR 0x2C ratio 17: the multiplier shows which was read.
TEST_F(CpuScriptTest, SignatureKeyChoosesTheMultiplierRegister)
{
    board().setMsr(0x2A, 3 << 8);
    board().setMsr(0x2C, uint64_t{17} << 24);
    const struct {
        uint32_t signature;
        float multiplier;
    } cases[] = {{0xF00, 19}, {0xF12, 19}, {0xF1F, 19}, {0xF20, 17}, {0xF27, 17}, {0xF3F, 17}};
    for (const auto& c : cases) {
        intel(c.signature);
        identify();
        EXPECT_EQ(cpuInfo.clockMultiplier, c.multiplier) << std::hex << c.signature;
    }
}

TEST_F(CpuScriptTest, HardPowerOnCodes)
{
    const struct {
        uint32_t code;
        float multiplier;
    } cases[] = {{0, 16}, {1, 17}, {7, 23}, {8, 8}, {9, 0}, {10, 0}, {11, 11}, {15, 15}};
    for (const auto& c : cases) {
        // Every bit outside 11..8 set, so only the code field can matter.
        board().setMsr(0x2A, 0xFFFFFFFFFFFFF0FFull | uint64_t{c.code} << 8);
        intel(0xF12);
        identify();
        EXPECT_EQ(cpuInfo.clockMultiplier, c.multiplier) << "code " << c.code;
    }
}

TEST_F(CpuScriptTest, FrequencyIdReadsBits24To28Only)
{
    const struct {
        uint64_t msr;
        float multiplier;
    } cases[] = {
        {0xE0FFFFFF00000000ull | uint64_t{0x11} << 24 | 0xE0FFFFFF, 17},
        {0xFFFFFFFFE0FFFFFFull, 0},
        {uint64_t{0x1F} << 24, 31},
    };
    for (const auto& c : cases) {
        board().setMsr(0x2C, c.msr);
        intel(0xF27);
        identify();
        EXPECT_EQ(cpuInfo.clockMultiplier, c.multiplier) << std::hex << c.msr;
    }
}

TEST_F(CpuScriptTest, ModelNameFromBrandIndexCacheAndModel)
{
    const struct {
        uint32_t brandIndex;
        uint32_t l2Descriptor;
        uint32_t signature;
        int32_t l2Kb;
        const char* modelName;
    } cases[] = {
        {8, 0x7A, 0xF12, 256, "Intel Pentium 4"},
        {9, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {10, 0x39, 0xF27, 128, "Intel Celeron"},
        {10, 0x79, 0xF27, 128, "Intel Celeron"},
        {10, 0x3C, 0xF27, 256, "Intel Celeron"},
        {10, 0x7A, 0xF27, 256, "Intel Celeron"},
        {10, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {10, 0x7C, 0xF27, 1024, "Intel Pentium 4"},
        {10, 0x40, 0xF27, 0, "Intel Celeron"},
        {11, 0x7B, 0xF27, 512, "Intel Pentium 4 Xeon"},
        {12, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {13, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {14, 0x7B, 0xF24, 512, "Intel Pentium 4-M"},
        {14, 0x7B, 0xF13, 512, "Intel Pentium 4 Xeon"},
        {14, 0x7B, 0xF37, 512, "Intel Pentium 4 Xeon"},
        {0, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {7, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {15, 0x7B, 0xF27, 512, "Intel Pentium 4"},
        {255, 0x7B, 0xF27, 512, "Intel Pentium 4"},
    };
    for (const auto& c : cases) {
        intel(c.signature, c.brandIndex, c.l2Descriptor);
        EXPECT_EQ(identify(), 1);
        EXPECT_EQ(cpuInfo.l2CacheKb, c.l2Kb) << std::hex << c.l2Descriptor;
        EXPECT_STREQ(cpuInfo.modelName, c.modelName) << "brand index " << c.brandIndex << std::hex << " sig "
                                                     << c.signature;
    }
}

TEST_F(CpuScriptTest, CoreNameByModel)
{
    const struct {
        uint32_t signature;
        const char* coreName;
    } cases[] = {{0xF07, "Willamette"}, {0xF12, "Willamette"}, {0xF27, "Northwood"}, {0xF33, ""}, {0xFF0, ""}};
    for (const auto& c : cases) {
        intel(c.signature);
        identify();
        EXPECT_STREQ(cpuInfo.coreName, c.coreName) << std::hex << c.signature;
    }
}

TEST_F(CpuScriptTest, UnsupportedProcessorsGiveZero)
{
    // Not Intel, though family 15: nothing past the signature.
    cpu.leaves.clear();
    cpu.identity("AuthenticAMD", 0xF4A);
    cpu.brand("AMD Athlon(tm) 64 Processor 3200+");
    EXPECT_EQ(identify(), 0);
    EXPECT_STREQ(cpuInfo.vendorText, "AuthenticAMD");
    EXPECT_STREQ(cpuInfo.brandString, "");
    EXPECT_STREQ(cpuInfo.modelName, "");

    // Intel of another family: the brand string stays, nothing else.
    intel(0x695);
    cpu.brand("        Intel(R) Pentium(R) M processor 1.60GHz");
    EXPECT_EQ(identify(), 0);
    EXPECT_STREQ(cpuInfo.brandString, "Intel(R) Pentium(R) M processor 1.60GHz");
    EXPECT_STREQ(cpuInfo.modelName, "");
    EXPECT_STREQ(cpuInfo.coreName, "");
    EXPECT_EQ(cpuInfo.clockMultiplier, 0.0f);
    EXPECT_TRUE(notifier.boxes.empty()) << "no MSR is read";
}

TEST_F(CpuScriptTest, ExtendedFamilyIsSupportedButNotNamed)
{
    intel(0x00100F27);
    EXPECT_EQ(identify(), 1);
    EXPECT_EQ(cpuInfo.extendedFamily, 1);
    EXPECT_STREQ(cpuInfo.brandString, "Intel(R) Pentium(R) 4 CPU 2.40GHz");
    EXPECT_STREQ(cpuInfo.modelName, "");
    EXPECT_STREQ(cpuInfo.coreName, "");
    EXPECT_EQ(cpuInfo.clockMultiplier, 0.0f);
}

TEST_F(CpuScriptTest, FailedMsrReadLeavesNoMultiplierAndOneMessage)
{
    closeDevice();
    intel(0xF27);
    EXPECT_EQ(identify(), 1);
    EXPECT_EQ(cpuInfo.clockMultiplier, 0.0f);
    EXPECT_STREQ(cpuInfo.modelName, "Intel Pentium 4");
    EXPECT_STREQ(cpuInfo.coreName, "Northwood");
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Device does not support the requested API");
    EXPECT_EQ(notifier.boxes[0].caption, "error");
}

class CpuBoardTest : public SimBoardTest {};

TEST_F(CpuBoardTest, EverySimulatedProcessor)
{
    const struct {
        const char* scenario;
        int32_t result;
        const char* brandString;
        const char* modelName;
        const char* coreName;
        float multiplier;
    } cases[] = {
        {"cpu=northwood", 1, "Intel(R) Pentium(R) 4 CPU 2.40GHz", "Intel Pentium 4", "Northwood", 18},
        {"cpu=willamette", 1, "Intel(R) Pentium(R) 4 CPU 1500MHz", "Intel Pentium 4", "Willamette", 15},
        {"cpu=celeron", 1, "Intel(R) Celeron(R) CPU 2.00GHz", "Intel Celeron", "Northwood", 20},
        {"cpu=xeon", 1, "Intel(R) Xeon(TM) CPU 2.40GHz", "Intel Pentium 4 Xeon", "Northwood", 18},
        {"cpu=p4m", 1, "Mobile Intel(R) Pentium(R) 4 - M CPU 1.80GHz", "Intel Pentium 4-M", "Northwood", 18},
        {"cpu=extfamily", 1, "Intel(R) Itanium(R) 2 Processor", "", "", 0},
        {"cpu=family6", 0, "Intel(R) Pentium(R) M processor 1.60GHz", "", "", 0},
        {"cpu=amd", 0, "", "", "", 0},
        {"cpu=nobrand", 0, "", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        useScenario(c.scenario);
        resetProcessRecords();
        bringUp();
        EXPECT_EQ(identifyCpu(), c.result);
        EXPECT_STREQ(cpuInfo.brandString, c.brandString);
        EXPECT_STREQ(cpuInfo.modelName, c.modelName);
        EXPECT_STREQ(cpuInfo.coreName, c.coreName);
        EXPECT_EQ(cpuInfo.clockMultiplier, c.multiplier);
    }
    EXPECT_TRUE(notifier.boxes.empty());
}

}  // namespace

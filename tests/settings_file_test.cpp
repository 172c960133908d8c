#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "clock/clock_generator.h"

namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kMagic = {0x51, 0x5A, 0x38, 0x2D, 0x49, 0x49, 0x20, 0x20};

Bytes join(const Bytes& a, const Bytes& b, const Bytes& c)
{
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    all.insert(all.end(), c.begin(), c.end());
    return all;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::string("settings_") + info->name() + ".qz8";
        std::remove(path.c_str());
        saved = currentSetting;
    }
    void TearDown() override
    {
        std::remove(path.c_str());
        currentSetting = saved;
    }

    void writeBytes(const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes readBytes()
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    std::string path;
    ClockSetting saved{};
};

TEST_F(SettingsFile, WritesTheSixteenByteImageAndReadsItBackBitForBit)
{
    struct Case {
        ClockSetting setting;
        Bytes fsb;
        Bytes ratio;
    };
    const Case cases[] = {
        {{133.0f, 4}, {0x00, 0x00, 0x05, 0x43}, {0x04, 0x00, 0x00, 0x00}},
        {{100.5f, -1}, {0x00, 0x00, 0xC9, 0x42}, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        currentSetting = c.setting;
        ASSERT_EQ(writeSettingsFile(path.c_str()), 1);
        EXPECT_EQ(readBytes(), join(kMagic, c.fsb, c.ratio)) << c.setting.fsbMhz;

        currentSetting = ClockSetting{0.0f, 0};
        ASSERT_EQ(readSettingsFile(path.c_str()), 1);
        EXPECT_EQ(std::memcmp(&currentSetting.fsbMhz, &c.setting.fsbMhz, 4), 0);
        EXPECT_EQ(currentSetting.ratioCode, c.setting.ratioCode);
    }
}

TEST_F(SettingsFile, ReplacesALongerFile)
{
    writeBytes(Bytes(40, 0xAA));
    currentSetting = ClockSetting{150.0f, 5};
    ASSERT_EQ(writeSettingsFile(path.c_str()), 1);
    EXPECT_EQ(readBytes().size(), kSettingsFileSize);
}

TEST_F(SettingsFile, HeaderIsNotCheckedAndValuesPassUnchanged)
{
    struct Case {
        Bytes header;
        Bytes ratio;
        RatioCode expected;
    };
    const Case cases[] = {
        {Bytes(8, 0x00), {0x04, 0, 0, 0}, 4},
        {kMagic, {0x09, 0, 0, 0}, 9},
        {kMagic, {0x00, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        writeBytes(join(c.header, {0x00, 0x00, 0x05, 0x43}, c.ratio));
        currentSetting = ClockSetting{1.0f, 77};
        EXPECT_EQ(readSettingsFile(path.c_str()), 1);
        EXPECT_EQ(currentSetting.fsbMhz, 133.0f);
        EXPECT_EQ(currentSetting.ratioCode, c.expected);
    }

    // NaN and out-of-range FSB values are the batch caller's business.
    writeBytes(join(kMagic, {0x00, 0x00, 0xC0, 0x7F}, {0x04, 0, 0, 0}));
    EXPECT_EQ(readSettingsFile(path.c_str()), 1);
    EXPECT_TRUE(std::isnan(currentSetting.fsbMhz));
}

TEST_F(SettingsFile, LengthDecidesTheRead)
{
    const Bytes good = join(kMagic, {0x00, 0x00, 0x05, 0x43}, {0x04, 0, 0, 0});
    struct Case {
        size_t size;
        int32_t result;
    };
    for (const Case& c : {Case{20, 1}, Case{16, 1}, Case{15, 0}, Case{11, 0}, Case{7, 0}, Case{0, 0}}) {
        Bytes bytes = good;
        bytes.resize(c.size, 0xEE);
        writeBytes(bytes);
        EXPECT_EQ(readSettingsFile(path.c_str()), c.result) << c.size;
    }
}

TEST_F(SettingsFile, MissingFileOrFolderFails)
{
    EXPECT_EQ(readSettingsFile(path.c_str()), 0);
    EXPECT_EQ(readSettingsFile(""), 0);
    EXPECT_EQ(writeSettingsFile("no-such-folder/a.qz8"), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/window_values.h"

namespace {

TEST(RatioList, IndexAndCodeMapBothWays)
{
    const char* texts[] = {"1/2", "1/3", "1/4", "1/5", "1/6", "1/7", "1/8", "Fixed"};
    const RatioCode codes[] = {2, 3, 4, 5, 6, 7, 8, -1};
    for (int32_t i = 0; i < kRatioEntryCount; ++i) {
        EXPECT_STREQ(kRatioTexts[i], texts[i]);
        RatioCode code = 99;
        ASSERT_TRUE(ratioCodeForIndex(i, code));
        EXPECT_EQ(code, codes[i]);
        EXPECT_EQ(ratioIndexForCode(codes[i]), i);
    }
    for (RatioCode unlisted : {0, 1, 9, -2}) EXPECT_EQ(ratioIndexForCode(unlisted), -1) << unlisted;

    RatioCode untouched = 4;
    EXPECT_FALSE(ratioCodeForIndex(-1, untouched));  // no selection
    EXPECT_FALSE(ratioCodeForIndex(8, untouched));
    EXPECT_EQ(untouched, 4);
}

TEST(Slider, PositionFollowsTheFsbWithinTheRange)
{
    struct Case {
        float fsb;
        int32_t position;
    };
    const Case cases[] = {
        {133.0f, 266}, {133.5f, 267}, {90.0f, 180}, {257.0f, 514}, {66.5f, 180}, {2.0f, 180},
        {300.0f, 514}, {100.25f, 200},  // a quarter MHz truncates toward zero
        {std::numeric_limits<float>::quiet_NaN(), 180}, {std::numeric_limits<float>::infinity(), 514},
        {-std::numeric_limits<float>::infinity(), 180},
    };
    for (const Case& c : cases) EXPECT_EQ(sliderPositionForFsb(c.fsb), c.position) << c.fsb;

    for (int32_t p = kSliderMin; p <= kSliderMax; ++p) {
        EXPECT_EQ(sliderPositionForFsb(fsbForSliderPosition(p)), p);
    }
    EXPECT_EQ(fsbForSliderPosition(267), 133.5f);
}

TEST(CurrentRow, BusClocksFollowTheFsbAndDivider)
{
    RowTexts row = currentRowTexts(ClockSetting{133.0f, 4}, 2394.04f, 3);
    EXPECT_EQ(row.coreSpeed, "2394.0");
    EXPECT_EQ(row.fsb, "133.0");
    EXPECT_TRUE(row.hasMemory);
    EXPECT_EQ(row.memory, "399.0");
    EXPECT_EQ(row.agp, "66.50");
    EXPECT_EQ(row.pci, "33.25");

    row = currentRowTexts(ClockSetting{100.0f, 3}, 0.0f, 4);
    EXPECT_EQ(row.coreSpeed, "  0.0");  // the width pads short values
    EXPECT_EQ(row.memory, "400.0");
    EXPECT_EQ(row.agp, "66.67");
    EXPECT_EQ(row.pci, "33.33");

    row = currentRowTexts(ClockSetting{66.5f, 2}, 1197.0f, 0);
    EXPECT_EQ(row.fsb, "66.5");
    EXPECT_FALSE(row.hasMemory);
    EXPECT_EQ(row.agp, "66.50");
    EXPECT_EQ(row.pci, "33.25");
}

TEST(Rows, FixedAndUnlistedCodesShowTheFixedClocks)
{
    for (RatioCode code : {-1, 0, -7}) {
        const RowTexts current = currentRowTexts(ClockSetting{257.0f, code}, 0.0f, 0);
        const RowTexts selected = selectedRowTexts(ClockSetting{90.0f, code}, 18.0f, 3);
        for (const RowTexts& row : {current, selected}) {
            EXPECT_EQ(row.agp, "66.67") << code;
            EXPECT_EQ(row.pci, "33.34") << code;
        }
    }
}

TEST(SelectedRow, CoreSpeedIsMultiplierTimesFsb)
{
    RowTexts row = selectedRowTexts(ClockSetting{133.5f, 4}, 18.0f, 3);
    EXPECT_EQ(row.coreSpeed, "2403.0");
    EXPECT_EQ(row.fsb, "133.5");
    EXPECT_EQ(row.memory, "400.5");
    EXPECT_EQ(row.agp, "66.75");
    EXPECT_EQ(row.pci, "33.38");  // 33.375 is exact in binary and rounds to even

    row = selectedRowTexts(ClockSetting{90.0f, 8}, 0.0f, 0);
    EXPECT_EQ(row.coreSpeed, " 0.0");
    EXPECT_FALSE(row.hasMemory);
    EXPECT_EQ(row.agp, "22.50");
    EXPECT_EQ(row.pci, "11.25");
}

TEST(CpuFields, MultiplierAndModelTexts)
{
    EXPECT_EQ(multiplierText(18.0f), "x 18.0");
    EXPECT_EQ(multiplierText(8.5f), "x 8.5");
    EXPECT_EQ(multiplierText(0.0f), "");
    EXPECT_EQ(multiplierText(-1.0f), "");

    const char* model = "Pentium 4 (Northwood)";
    const char unknown[49] = "unknown";
    const char longer[49] = "unknownX";
    const char empty[49] = "";
    const char brand[49] = "Intel(R) Pentium(R) 4 CPU 2.40GHz";
    EXPECT_STREQ(modelFieldText(unknown, model), model);
    EXPECT_STREQ(modelFieldText(longer, model), "unknownX");
    EXPECT_STREQ(modelFieldText(empty, model), "");
    EXPECT_STREQ(modelFieldText(brand, model), brand);
}

}  // namespace

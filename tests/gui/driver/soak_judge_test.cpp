#include "soak_judge.h"

#include <gtest/gtest.h>

namespace guidriver {
namespace {

// A census: handles, windows, resident KB, then GDI objects by kind.
Census census(long handles, long windows, long residentKb, std::map<std::string, long> gdi)
{
    Census c;
    c.handles = handles;
    c.windows = windows;
    c.residentKb = residentKb;
    c.gdi = std::move(gdi);
    return c;
}

// 10 passes since the baseline; the script's allowances: one bitmap a pass,
// 4 GDI objects, 1024 KB, no handle and no window.
TEST(SoakJudge, GrowthBeyondAnAllowanceFails)
{
    SoakAllowances allowed;
    std::string failure;
    ASSERT_TRUE(readSoakAllowances({"soak-check", "bitmaps-per-pass", "1", "gdi", "4", "resident-kb", "1024"}, allowed,
                                   failure))
        << failure;
    const Census base = census(50, 42, 37000, {{"bitmap", 60}, {"brush", 20}});
    struct Case {
        const char* what;
        Census last;
        std::string excess;
    };
    const Case cases[] = {
        {"nothing grew", base, ""},
        {"everything shrank", census(40, 30, 36000, {{"bitmap", 50}}), ""},
        {"each at its allowance", census(50, 42, 38024, {{"bitmap", 70}, {"brush", 24}}), ""},
        {"a handle more", census(51, 42, 37000, {{"bitmap", 60}, {"brush", 20}}),
         "handles grew by 1 (50 to 51), allowed 0"},
        {"a window more", census(50, 43, 37000, {{"bitmap", 60}, {"brush", 20}}),
         "windows grew by 1 (42 to 43), allowed 0"},
        {"a brush a pass", census(50, 42, 37000, {{"bitmap", 60}, {"brush", 30}}),
         "GDI objects (bitmaps beyond those allowed per pass) grew by 10 (80 to 90), allowed 4"},
        {"two bitmaps a pass", census(50, 42, 37000, {{"bitmap", 80}, {"brush", 20}}),
         "GDI objects (bitmaps beyond those allowed per pass) grew by 10 (80 to 100), allowed 4"},
        {"the bitmap allowance covers no brush", census(50, 42, 37000, {{"bitmap", 60}, {"brush", 25}, {"pen", 1}}),
         "GDI objects (bitmaps beyond those allowed per pass) grew by 6 (80 to 86), allowed 4"},
        {"memory", census(50, 42, 38025, {{"bitmap", 60}, {"brush", 20}}),
         "resident KB grew by 1025 (37000 to 38025), allowed 1024"},
        {"two at once", census(50, 44, 39000, {{"bitmap", 60}, {"brush", 20}}),
         "windows grew by 2 (42 to 44), allowed 0; resident KB grew by 2000 (37000 to 39000), allowed 1024"},
    };
    for (const Case& c : cases) EXPECT_EQ(soakExcess(base, c.last, 10, allowed), c.excess) << c.what;

    SoakAllowances none;
    EXPECT_EQ(soakExcess(base, census(50, 42, 37000, {{"bitmap", 61}, {"brush", 20}}), 10, none),
              "GDI objects (bitmaps beyond those allowed per pass) grew by 1 (80 to 81), allowed 0")
        << "unnamed allowances are 0";
}

TEST(SoakJudge, AllowancesComeAsKnownNamesWithCounts)
{
    const std::vector<std::vector<std::string>> refused = {{"soak-check", "gdi"},       {"soak-check", "fonts", "2"},
                                                           {"soak-check", "gdi", "-1"}, {"soak-check", "gdi", "2x"},
                                                           {"soak-check", "gdi", ""}};
    for (const std::vector<std::string>& words : refused) {
        SoakAllowances allowed;
        std::string failure;
        EXPECT_FALSE(readSoakAllowances(words, allowed, failure)) << words.back();
        EXPECT_FALSE(failure.empty());
    }
}

}  // namespace
}  // namespace guidriver

#include <gtest/gtest.h>

#include "app/hyperlink.h"

namespace {

TEST(BrowserCommand, CutsAtThePlaceholderAndAppendsTheAddressUnquoted)
{
    struct Case {
        const char* registered;
        const char* expected;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Web\\browser.exe\" \"%1\"", "\"C:\\Program Files\\Web\\browser.exe\"  www.velk.example"},
        {"C:\\WEB\\BROWSER.EXE -nohome \"%1\" -new", "C:\\WEB\\BROWSER.EXE -nohome  www.velk.example"},
        {"C:\\WEB\\BROWSER.EXE %1", "C:\\WEB\\BROWSER.EXE  www.velk.example"},
        // The quoted form wins over a bare %1 that comes first.
        {"browser %1 \"%1\"", "browser %1  www.velk.example"},
        {"C:\\WEB\\BROWSER.EXE -nohome", "C:\\WEB\\BROWSER.EXE -nohome www.velk.example"},
        {"", " www.velk.example"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(browserCommand(c.registered, "www.velk.example"), c.expected) << c.registered;
    }
}

TEST(HyperlinkError, ListedCodesHaveTheirTextOthersTheirNumber)
{
    struct Case {
        int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {26, "A sharing violation occurred. "},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},
        {33, "Unknown Error (33) occurred."},
        {-5, "Unknown Error (-5) occurred."},
        {-2147483647 - 1, "Unknown Error (-2147483648) occurred."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hyperlinkErrorText(c.code), std::string("Unable to open hyperlink:\n\n") + c.message) << c.code;
    }
}

}  // namespace

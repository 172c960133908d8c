#include "cli/cli_values.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/window_values.h"

namespace {

constexpr char kFixedText[] = "fixed";

std::string quoted(const char* text) { return std::string("'") + text + "'"; }

// Digits with at most one decimal point, at least one digit.
bool isPlainDecimal(const char* text)
{
    bool digit = false;
    bool point = false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9') {
            digit = true;
        } else if (*c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

int32_t digitValue(char c, uint32_t base)
{
    int32_t value = 99;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < static_cast<int32_t>(base) ? value : -1;
}

}  // namespace

bool parseFsb(const char* text, float& fsbMhz, std::string& error)
{
    if (!isPlainDecimal(text)) {
        error = "FSB " + quoted(text) + " is not a number of MHz";
        return false;
    }
    const double doubled = 2.0 * std::strtod(text, nullptr);
    if (!(doubled >= kSliderMin && doubled <= kSliderMax)) {
        char range[64];
        std::snprintf(range, sizeof range, " is outside %.1f to %.1f MHz",
                      static_cast<double>(fsbForSliderPosition(kSliderMin)),
                      static_cast<double>(fsbForSliderPosition(kSliderMax)));
        error = "FSB " + quoted(text) + range;
        return false;
    }
    if (doubled != std::floor(doubled)) {
        error = "FSB " + quoted(text) + " is not a multiple of 0.5 MHz";
        return false;
    }
    fsbMhz = fsbForSliderPosition(static_cast<int32_t>(doubled));
    return true;
}

bool parseDivider(const char* text, RatioCode& code, std::string& error)
{
    for (int32_t i = 0; i < kRatioEntryCount; ++i) {
        if (strcasecmp(text, kRatioTexts[i]) == 0) return ratioCodeForIndex(i, code);
    }
    error = "divider " + quoted(text) + " is not one of";
    for (int32_t i = 0; i < kRatioEntryCount; ++i) error += " " + dividerText(kRatioCodes[i]);
    return false;
}

bool parseNumber(const char* text, uint32_t min, uint32_t max, const char* what, uint32_t& value, std::string& error)
{
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const uint32_t base = hex ? 16 : 10;
    const char* digits = hex ? text + 2 : text;
    uint64_t number = 0;
    bool valid = *digits != '\0';
    for (const char* c = digits; valid && *c != '\0'; ++c) {
        const int32_t digit = digitValue(*c, base);
        valid = digit >= 0;
        // Held above any range asked for once it is out of range.
        if (valid && number <= max) number = number * base + static_cast<uint32_t>(digit);
    }
    if (!valid) {
        error = std::string(what) + " " + quoted(text) + " is not a number (decimal, or hexadecimal after 0x)";
        return false;
    }
    if (number < min || number > max) {
        char range[64];
        std::snprintf(range, sizeof range, " is outside 0x%02x to 0x%02x", min, max);
        error = std::string(what) + " " + quoted(text) + range;
        return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

bool parseSeconds(const char* text, uint32_t max, const char* what, uint32_t& seconds, std::string& error)
{
    uint64_t number = 0;
    bool valid = *text != '\0';
    for (const char* c = text; valid && *c != '\0'; ++c) {
        valid = *c >= '0' && *c <= '9';
        if (valid && number <= max) number = number * 10 + static_cast<uint32_t>(*c - '0');
    }
    if (!valid || number > max) {
        error = std::string(what) + " " + quoted(text) + " is not a number of seconds from 0 to " + std::to_string(max);
        return false;
    }
    seconds = static_cast<uint32_t>(number);
    return true;
}

std::string dividerText(RatioCode code)
{
    if (code == kRatioFixed) return kFixedText;
    const int32_t index = ratioIndexForCode(code);
    if (index >= 0) return kRatioTexts[index];
    return "code " + std::to_string(code);
}

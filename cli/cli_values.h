// The values of qz8fsb-cli's arguments: text to number, with the reason a
// text is refused.
#pragma once

#include <cstdint>
#include <string>

#include "clock/clock_setting.h"

// An FSB the window's slider offers: 90.0 to 257.0 MHz in 0.5 MHz steps,
// written as digits with at most one decimal point. `fsbMhz` is the float the
// slider stores for it.
bool parseFsb(const char* text, float& fsbMhz, std::string& error);
// "1/2" ... "1/8" or "fixed", in any case.
bool parseDivider(const char* text, RatioCode& code, std::string& error);
// Decimal, or hexadecimal after "0x"; no sign. `what` names the value in
// the error.
bool parseNumber(const char* text, uint32_t min, uint32_t max, const char* what, uint32_t& value, std::string& error);

// Whole seconds from 0 to `max`, decimal.
bool parseSeconds(const char* text, uint32_t max, const char* what, uint32_t& seconds, std::string& error);

// "1/4", "fixed"; "code N" for a code the list does not hold.
std::string dividerText(RatioCode code);

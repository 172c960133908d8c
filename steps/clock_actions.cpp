#include "steps/clock_actions.h"

#include <cmath>

#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "ident/core_clock.h"
#include "platform/platform.h"

namespace {
// Second pause after programming, before the core clock is measured again:
// the processor's clock settles after the bus clock moved.
constexpr uint32_t kSettleMs = 500;
}  // namespace

bool readCurrentValues()
{
    openDevice();
    const int32_t read = readClockSetting();
    closeDevice();
    return read != 0;
}

bool programAndSettle(const ClockSetting& requested)
{
    openDevice();
    const int32_t programmed = applyClockSetting(requested.fsbMhz, requested.ratioCode);
    closeDevice();
    platformTiming().sleepMs(kSettleMs);
    measureCoreClock();
    return programmed != 0;
}

bool holdsSetting(const ClockSetting& held, const ClockSetting& requested)
{
    return held.fsbMhz == std::floor(requested.fsbMhz * 2.0f) / 2.0f && held.ratioCode == requested.ratioCode;
}

bool isProgrammableSetting(const ClockSetting& setting)
{
    const bool fsbInRange = setting.fsbMhz >= 2.0f && setting.fsbMhz <= 257.0f;
    const bool hasField = (setting.ratioCode >= 2 && setting.ratioCode <= 8) || setting.ratioCode == kRatioFixed;
    return fsbInRange && hasField;
}

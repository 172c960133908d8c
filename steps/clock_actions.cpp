#include "steps/clock_actions.h"

#include <cmath>

#include "hw/hw_channel.h"
#include "platform/platform.h"

namespace {
// Second pause after programming, before the core clock is measured again:
// the processor's clock settles after the bus clock moved.
constexpr uint32_t kSettleMs = 500;
}  // namespace

ReadEnd readCurrentValues()
{
    if (openDevice() == 0) return openRefusedForBus() ? ReadEnd::BusBusy : ReadEnd::Failed;
    const int32_t read = readClockSetting();
    closeDevice();
    return read != 0 ? ReadEnd::Read : ReadEnd::Failed;
}

ReadEnd readBackValues()
{
    const ReadEnd first = readCurrentValues();
    return first == ReadEnd::Failed ? readCurrentValues() : first;
}

Programming programInBurst(const ClockSetting& requested)
{
    if (openDevice() == 0) return Programming{ProgramEnd::Untouched, openRefusedForBus()};
    const ProgramEnd end = programClockSetting(requested.fsbMhz, requested.ratioCode);
    closeDevice();
    return Programming{end, false};
}

Programming programAndSettle(const ClockSetting& requested, CoreClockMeasurement measure)
{
    const Programming programming = programInBurst(requested);
    // Nothing was written: no clock moved.
    if (programming.end == ProgramEnd::Untouched || programming.end == ProgramEnd::Refused) return programming;
    platformTiming().sleepMs(kSettleMs);
    measure();
    return programming;
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

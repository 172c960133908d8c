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
    Programming programming{ProgramEnd::Untouched, false, {}};
    if (openDevice() == 0) {
        programming.busBusy = openRefusedForBus();
        return programming;
    }
    programming.end = programClockSetting(requested.fsbMhz, requested.ratioCode, &programming.before);
    closeDevice();
    return programming;
}

namespace {

// Unless nothing was written (no clock moved): the pause while the clocks
// settle, and the core clock measured again.
Programming settle(const Programming& programming, CoreClockMeasurement measure)
{
    if (nothingWritten(programming.end)) return programming;
    platformTiming().sleepMs(kSettleMs);
    measure();
    return programming;
}

}  // namespace

Programming programAndSettle(const ClockSetting& requested, CoreClockMeasurement measure)
{
    return settle(programInBurst(requested), measure);
}

Programming revertAndSettle(const ClockRegisters& before, CoreClockMeasurement measure)
{
    Programming programming{ProgramEnd::Untouched, false, before};
    if (openDevice() == 0) {
        programming.busBusy = openRefusedForBus();
        return programming;
    }
    programming.end = restoreClockSetting(before);
    closeDevice();
    return settle(programming, measure);
}

bool holdsSetting(const ClockSetting& held, const ClockSetting& requested)
{
    return held.fsbMhz == std::floor(requested.fsbMhz * 2.0f) / 2.0f && held.ratioCode == requested.ratioCode;
}

bool isSelectableSetting(const ClockSetting& setting)
{
    const bool inRange = setting.fsbMhz >= kLowestSelectableFsb && setting.fsbMhz <= kHighestSelectableFsb;
    // In range, the float holds every half MHz exactly.
    const bool onAStep = inRange && std::floor(setting.fsbMhz * 2.0f) == setting.fsbMhz * 2.0f;
    const bool listed = (setting.ratioCode >= 2 && setting.ratioCode <= 8) || setting.ratioCode == kRatioFixed;
    return onAStep && listed;
}

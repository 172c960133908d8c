#include "cli/survey_steps.h"

#include "cli/smbus_path.h"
#include "hw/hw_channel.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"

int surveyForSmbus(const CliContext& context)
{
    switch (surveyHardware()) {
    case SurveyResult::Ready: return chooseSmbusPath(context);
    case SurveyResult::NoDriver:
    case SurveyResult::NoDevice: say(context.err, "the hardware channel did not open"); return kExitFailure;
    case SurveyResult::NoSmbus:
        if (context.options.i2cBus >= 0) return chooseSmbusPath(context);
        say(context.err, "no SMBus host controller found");
        return kExitFailure;
    }
    return kExitFailure;
}

void identifyMachine()
{
    const bool open = openDevice() != 0;
    identifyCpu();
    // A refused open (another copy holds the SMBus) reads no register: no
    // memory ratio rather than an invented one.
    if (open) identifyChipset();
    closeDevice();
}

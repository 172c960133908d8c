#include "app/cli/survey_steps.h"

#include "app/cli/cli_context.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"

SurveyResult surveyHardware()
{
    driverLoaded = loadDriver();
    if (driverLoaded == 0 || openDevice() == 0) return SurveyResult::NoChannel;
    scanPciBus();
    findSmbusController();
    closeDevice();
    return smbusPorts.base != 0 ? SurveyResult::Ready : SurveyResult::NoSmbus;
}

bool surveyForSmbus(std::FILE* err)
{
    switch (surveyHardware()) {
    case SurveyResult::Ready: return true;
    case SurveyResult::NoChannel: say(err, "the hardware channel did not open"); return false;
    case SurveyResult::NoSmbus: say(err, "no SMBus host controller found"); return false;
    }
    return false;
}

void identifyMachine()
{
    openDevice();
    identifyCpu();
    identifyChipset();
    closeDevice();
}

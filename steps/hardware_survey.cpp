#include "steps/hardware_survey.h"

#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"

SurveyResult surveyHardware()
{
    driverLoaded = loadDriver();
    if (driverLoaded == 0) return SurveyResult::NoDriver;
    if (openDevice() == 0) return SurveyResult::NoDevice;
    scanPciBus();
    findSmbusController();
    closeDevice();
    return smbusPorts.base != 0 ? SurveyResult::Ready : SurveyResult::NoSmbus;
}

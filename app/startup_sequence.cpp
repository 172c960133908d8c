#include "app/startup_sequence.h"

#include "app/command_line.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/platform.h"

namespace {

constexpr char kDriverCaption[] = "Driver Error";
constexpr char kSmbusCaption[] = "SMBus Error";
constexpr char kAppCaption[] = "QZ8-II FSB";
constexpr char kBadFileText[] = "Unable to find file, or bad file";

bool giveUp(const char* text, const char* caption)
{
    showMessage(text, caption, kIconWarning);
    unloadDriver();
    return false;
}

}  // namespace

bool isProgrammableFsb(float fsbMhz) { return fsbMhz >= 2.0f && fsbMhz <= 257.0f; }

bool bringUpHardware()
{
    driverLoaded = loadDriver();
    if (driverLoaded == 0) return giveUp("An error occured when opening the driver.", kDriverCaption);
    if (openDevice() == 0) return giveUp("An error occured when opening the device.", kDriverCaption);
    scanPciBus();
    findSmbusController();
    if (smbusPorts.base == 0) {
        closeDevice();
        return giveUp("No SMBus interface found.", kSmbusCaption);
    }
    closeDevice();
    return true;
}

bool runBatchMode(const char* commandLine)
{
    char path[kBatchPathSize];
    const FileArgument argument = findFileArgument(commandLine, path);
    if (argument == FileArgument::Absent) return false;

    // A path too long for the buffer, an unreadable file and a setting the
    // clock generator would refuse all end the same way, before any traffic.
    if (argument == FileArgument::TooLong || readSettingsFile(path) == 0 ||
        !isProgrammableFsb(currentSetting.fsbMhz)) {
        showMessage(kBadFileText, kAppCaption, kIconError);
        return true;
    }
    openDevice();
    applyClockSetting(currentSetting.fsbMhz, currentSetting.ratioCode);
    closeDevice();
    return true;
}

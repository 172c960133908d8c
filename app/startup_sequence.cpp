#include "app/startup_sequence.h"

#include "app/clock_messages.h"
#include "app/command_line.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "platform/platform.h"
#include "steps/clock_actions.h"
#include "steps/hardware_survey.h"

namespace {

constexpr char kDriverCaption[] = "Driver Error";
constexpr char kSmbusCaption[] = "SMBus Error";
constexpr char kAppCaption[] = "QZ8-II FSB";
constexpr char kBadFileText[] = "Unable to find file, or bad file";
constexpr char kNotProgrammedText[] = "The clock generator could not be programmed.";

bool giveUp(const char* text, const char* caption)
{
    showMessage(text, caption, kIconWarning);
    unloadDriver();
    return false;
}

}  // namespace

bool bringUpHardware()
{
    switch (surveyHardware()) {
    case SurveyResult::Ready: return true;
    case SurveyResult::NoDriver: return giveUp("An error occured when opening the driver.", kDriverCaption);
    case SurveyResult::NoDevice: return giveUp("An error occured when opening the device.", kDriverCaption);
    case SurveyResult::NoSmbus: return giveUp("No SMBus interface found.", kSmbusCaption);
    }
    return false;
}

BatchOutcome runBatchMode(const char* commandLine)
{
    char path[kBatchPathSize];
    const FileArgument argument = findFileArgument(commandLine, path);
    if (argument == FileArgument::Absent) return BatchOutcome::NotBatch;

    // A path too long for the buffer, an unreadable file and a setting the
    // window could not have selected all end the same way, before any
    // traffic: half of a setting (the FSB without its divider) is never
    // programmed, nor an FSB of 10 MHz from a damaged file at every start.
    if (argument == FileArgument::TooLong || readSettingsFile(path) == 0 || !isSelectableSetting(currentSetting)) {
        showMessage(kBadFileText, kAppCaption, kIconError);
        return BatchOutcome::Refused;
    }
    const Programming programming = programInBurst(currentSetting);
    if (programming.busBusy) return BatchOutcome::Failed;  // its box said so
    if (programming.end == ProgramEnd::Applied) return BatchOutcome::Applied;
    showMessage(programming.end == ProgramEnd::Mixed ? kMixedSettingText : kNotProgrammedText, kAppCaption, kIconError);
    return BatchOutcome::Failed;
}

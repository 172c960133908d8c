// The commands that program the clock generator: set and apply.
#include "cli/board_rule.h"
#include "cli/cli_commands.h"
#include "cli/cli_values.h"
#include "cli/clock_lines.h"
#include "cli/survey_steps.h"
#include "steps/clock_actions.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"

namespace {

// "Set New Values": programming, the pauses and the core clock measured
// again, then the clocks read back and printed.
int programAndReadBack(const CliContext& context, const ClockSetting& requested)
{
    const bool programmed = programAndSettle(requested);
    if (!readCurrentValues()) {
        say(context.err, "the clock generator could not be read back after programming");
        return kExitFailure;
    }
    printClockRow(currentRowTexts(currentSetting, cpuInfo.coreClockMhz, chipsetInfo.memoryClockMultiplier),
                  context.out);
    if (programmed && holdsSetting(currentSetting, requested)) return kExitOk;
    say(context.err, "the clock generator does not hold the new setting (FSB %.1f MHz, divider %s)",
        static_cast<double>(requested.fsbMhz), dividerText(requested.ratioCode).c_str());
    return kExitFailure;
}

// Survey, the safety rule, and the memory ratio for the printed row.
int prepareToProgram(const CliContext& context)
{
    if (const int refused = surveyForSmbus(context); refused != kExitOk) return refused;
    if (!mayProgramThisBoard(context.options.force, context.err)) return kExitUsage;
    openDevice();
    identifyChipset();
    closeDevice();
    return kExitOk;
}

}  // namespace

int setCommand(const CliContext& context)
{
    const int prepared = prepareToProgram(context);
    if (prepared != kExitOk) return prepared;
    ClockSetting requested = context.options.setting;
    if (context.options.keepDivider) {
        if (!readCurrentValues()) {
            say(context.err, "the clock generator could not be read for its present divider");
            return kExitFailure;
        }
        requested.ratioCode = currentSetting.ratioCode;
    }
    return programAndReadBack(context, requested);
}

int applyCommand(const CliContext& context)
{
    // Refused before any hardware is touched, as batch mode refuses.
    const char* path = context.options.file.c_str();
    if (readSettingsFile(path) == 0) {
        say(context.err, "cannot read a settings file from '%s' (missing, unreadable or shorter than 16 bytes)", path);
        return kExitUsage;
    }
    const ClockSetting requested = currentSetting;
    if (!isProgrammableSetting(requested)) {
        say(context.err, "'%s' holds FSB %g MHz, divider code %d: not a setting the clock generator can take", path,
            static_cast<double>(requested.fsbMhz), static_cast<int>(requested.ratioCode));
        return kExitUsage;
    }
    const int prepared = prepareToProgram(context);
    if (prepared != kExitOk) return prepared;
    return programAndReadBack(context, requested);
}

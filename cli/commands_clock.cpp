// The commands that read the clock generator: get and save.
#include "cli/board_rule.h"
#include "cli/cli_commands.h"
#include "cli/clock_lines.h"
#include "cli/survey_steps.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"
#include "steps/clock_actions.h"

namespace {

// The survey and the board rule for a reading: kExitOk, or the exit status
// after saying why not.
int prepareToRead(const CliContext& context)
{
    if (const int refused = surveyForSmbus(context); refused != kExitOk) return refused;
    return mayUseThisBoard(BoardUse::Read, context.options.force, context.err) ? kExitOk : kExitUsage;
}

}  // namespace

int getCommand(const CliContext& context)
{
    if (const int refused = prepareToRead(context); refused != kExitOk) return refused;
    // As the window opens: the core clock first, then what the processor is.
    measureCoreClockWide();
    identifyMachine();
    printProcessor(context.out);
    const ReadEnd read = readCurrentValues();
    if (read != ReadEnd::Read) {
        if (read == ReadEnd::Failed) say(context.err, "the clock generator could not be read");
        return kExitFailure;
    }
    printClockRow(currentRowTexts(currentSetting, cpuInfo.coreClockMhz, chipsetInfo.memoryClockMultiplier),
                  context.out);
    return kExitOk;
}

int saveCommand(const CliContext& context)
{
    if (const int refused = prepareToRead(context); refused != kExitOk) return refused;
    const ReadEnd read = readCurrentValues();
    if (read != ReadEnd::Read) {
        if (read == ReadEnd::Failed) say(context.err, "the clock generator could not be read: nothing saved");
        return kExitFailure;
    }
    if (writeSettingsFile(context.options.file.c_str()) == 0) {
        say(context.err, "cannot write the settings file '%s'", context.options.file.c_str());
        return kExitFailure;
    }
    printClockSetting(currentSetting, context.out);
    return kExitOk;
}

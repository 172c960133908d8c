// The commands that program the clock generator: set and apply.
#include <string>

#include "cli/board_rule.h"
#include "cli/cli_commands.h"
#include "cli/cli_values.h"
#include "cli/clock_lines.h"
#include "cli/keep_question.h"
#include "cli/survey_steps.h"
#include "app/settings_file.h"
#include "clock/clock_generator.h"
#include "hw/hw_channel.h"
#include "ident/core_clock.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"
#include "steps/clock_actions.h"

namespace {

constexpr int kDefaultConfirmSeconds = 15;

std::string settingText(const ClockSetting& setting)
{
    char text[64];
    std::snprintf(text, sizeof text, "FSB %.1f MHz, divider %s", static_cast<double>(setting.fsbMhz),
                  dividerText(setting.ratioCode).c_str());
    return text;
}

// Seconds the user has to keep the new clocks; 0: no question.
int confirmSeconds(const CliContext& context)
{
    if (context.options.confirmSeconds >= 0) return context.options.confirmSeconds;
    return context.inputIsTerminal ? kDefaultConfirmSeconds : 0;
}

// "Set New Values": programming, the pauses and the core clock measured
// again, then the clocks read back and printed. kExitOk exactly when the
// chip holds `requested`.
int programAndReport(const CliContext& context, const ClockSetting& requested)
{
    const Programming programming = programAndSettle(requested, measureCoreClockWide);
    if (programming.busBusy) return kExitFailure;  // the bus lock said why
    const ReadEnd readBack = readBackValues();
    if (readBack == ReadEnd::Read)
        printClockRow(currentRowTexts(currentSetting, cpuInfo.coreClockMhz, chipsetInfo.memoryClockMultiplier),
                      context.out);
    if (programming.end == ProgramEnd::Mixed) {
        say(context.err,
            "programming failed half-way and the previous setting could not be restored: the clock generator may "
            "hold a mixed setting; save your work and restart the machine");
        return kExitFailure;
    }
    if (readBack != ReadEnd::Read) {
        if (readBack == ReadEnd::BusBusy) return kExitFailure;
        say(context.err, programming.end == ProgramEnd::Untouched
                             ? "programming failed: the clock generator does not answer"
                             : "the clock generator could not be read back after programming");
        return kExitFailure;
    }
    if (holdsSetting(currentSetting, requested)) return kExitOk;
    const bool previous = programming.end == ProgramEnd::RolledBack || programming.end == ProgramEnd::Untouched;
    say(context.err, "the clock generator %s (%s)%s",
        previous ? "did not take the new setting" : "does not hold the new setting", settingText(requested).c_str(),
        previous ? "; it runs at the previous one" : "");
    return kExitFailure;
}

// Survey, the safety rule, and the memory ratio for the printed row.
int prepareToProgram(const CliContext& context)
{
    if (const int refused = surveyForSmbus(context); refused != kExitOk) return refused;
    if (!mayUseThisBoard(BoardUse::Program, context.options.force, context.err)) return kExitUsage;
    if (openDevice() == 0) return kExitFailure;
    identifyChipset();
    closeDevice();
    return kExitOk;
}

// Programs `requested`; when the user is asked, the previous setting comes
// back unless the answer is yes in time.
int program(const CliContext& context, const ClockSetting& requested, const ClockSetting* previous)
{
    const int status = programAndReport(context, requested);
    const int seconds = confirmSeconds(context);
    if (status != kExitOk || previous == nullptr || seconds == 0) return status;
    if (userKeeps(context.input, static_cast<uint32_t>(seconds), context.err, "keep the new clocks?")) return kExitOk;
    say(context.err, "no yes in time: going back to %s", settingText(*previous).c_str());
    if (programAndReport(context, *previous) == kExitOk) say(context.err, "reverted to %s", settingText(*previous).c_str());
    return kExitFailure;
}

// What to program and what to go back to. The chip is read first when the
// divider is kept or the user will be asked.
int programSetting(const CliContext& context, ClockSetting requested, bool keepDivider)
{
    const int prepared = prepareToProgram(context);
    if (prepared != kExitOk) return prepared;
    if (!keepDivider && confirmSeconds(context) == 0) return program(context, requested, nullptr);
    const ReadEnd read = readCurrentValues();
    if (read != ReadEnd::Read) {
        if (read == ReadEnd::Failed) say(context.err, "the clock generator could not be read: nothing programmed");
        return kExitFailure;
    }
    const ClockSetting previous = currentSetting;
    if (keepDivider) requested.ratioCode = previous.ratioCode;
    return program(context, requested, &previous);
}

}  // namespace

int setCommand(const CliContext& context)
{
    return programSetting(context, context.options.setting, context.options.keepDivider);
}

int readFileToApply(CliOptions& options, std::FILE* err)
{
    // Refused before any hardware is touched, as batch mode refuses.
    const char* path = options.file.c_str();
    if (readSettingsFile(path) == 0) {
        say(err, "cannot read a settings file from '%s' (missing, unreadable or shorter than 16 bytes)", path);
        return kExitUsage;
    }
    options.setting = currentSetting;
    if (!isProgrammableSetting(options.setting)) {
        say(err, "'%s' holds FSB %g MHz, divider code %d: not a setting the clock generator can take", path,
            static_cast<double>(options.setting.fsbMhz), static_cast<int>(options.setting.ratioCode));
        return kExitUsage;
    }
    return kExitOk;
}

int applyCommand(const CliContext& context) { return programSetting(context, context.options.setting, false); }

// The commands that program the clock generator: set and apply.
#include <string.h>

#include <string>

#include "cli/board_rule.h"
#include "cli/cli_commands.h"
#include "cli/cli_values.h"
#include "cli/clock_lines.h"
#include "cli/held_signals.h"
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

// The clocks read back, printed at once: a question must come after them.
ReadEnd readBackAndPrint(const CliContext& context)
{
    const ReadEnd readBack = readBackValues();
    if (readBack == ReadEnd::Read)
        printClockRow(currentRowTexts(currentSetting, cpuInfo.coreClockMhz, chipsetInfo.memoryClockMultiplier),
                      context.out);
    std::fflush(context.out);
    return readBack;
}

// A programming that did not end with the new setting: what the chip holds
// is said, and the exit status.
int reportNotApplied(const CliContext& context, const Programming& programming, ReadEnd readBack,
                     const ClockSetting& requested)
{
    if (programming.end == ProgramEnd::Mixed) {
        say(context.err,
            "programming failed half-way and the previous setting could not be restored: the clock generator may "
            "hold a mixed setting; save your work and restart the machine");
        return kExitRevertFailed;
    }
    if (programming.end == ProgramEnd::BlockRefused) {
        say(context.err, "programming failed: the clock generator answers but did not take its control block; "
                         "nothing was written, it keeps its setting");
        return kExitFailure;
    }
    if (readBack == ReadEnd::BusBusy) return kExitFailure;  // the bus lock said why
    if (readBack != ReadEnd::Read) {
        say(context.err, programming.end == ProgramEnd::Untouched
                             ? "programming failed: the clock generator could not be read; nothing was written"
                             : "the clock generator could not be read back after programming");
        return kExitFailure;
    }
    say(context.err, "the clock generator did not take the new setting (%s); it runs at the previous one",
        settingText(requested).c_str());
    return kExitFailure;
}

// Why the new clocks are not kept, as a sentence's start.
std::string whyNotKept(const KeepReply& reply, uint32_t seconds)
{
    switch (reply.answer) {
    case KeepAnswer::Declined: return "declined";
    case KeepAnswer::NoAnswer: return "no answer in " + std::to_string(seconds) + " s";
    case KeepAnswer::NoInput: return "nobody can answer (the input ended or the terminal hung up)";
    case KeepAnswer::Interrupted: return std::string("interrupted by SIG") + sigabbrev_np(reply.signal);
    case KeepAnswer::Yes: break;
    }
    return "";
}

// Back to the registers the programming of `requested` found; `signal`,
// when not 0, ends the command with its status once the way back is over.
int revert(const CliContext& context, const Programming& programming, const ClockSetting& requested, int signal)
{
    const ClockSetting previous = settingOfRegisters(programming.before);
    const Programming back = revertAndSettle(programming.before, measureCoreClockWide);
    const ReadEnd readBack = back.busBusy ? ReadEnd::BusBusy : readBackAndPrint(context);
    int status = kExitRevertFailed;
    if (back.end == ProgramEnd::Applied && readBack == ReadEnd::Read && holdsSetting(currentSetting, previous)) {
        say(context.err, "reverted to %s", settingText(previous).c_str());
        status = kExitReverted;
    } else if (readBack == ReadEnd::Read) {
        say(context.err, "going back failed: the clock generator holds %s, not %s; save your work and restart the machine",
            settingText(currentSetting).c_str(), settingText(previous).c_str());
    } else {
        say(context.err,
            "going back failed and the clock generator could not be read: it may hold %s, %s or a mix of the two; save "
            "your work and restart the machine",
            settingText(requested).c_str(), settingText(previous).c_str());
    }
    return signal != 0 ? exitStatusOfSignal(signal) : status;
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

// "Set New Values", then the question when it is on: the new clocks stay
// only on a yes in time; anything else, a held signal included, programs
// the previous registers back.
int program(const CliContext& context, const ClockSetting& requested)
{
    const Programming programming = programAndSettle(requested, measureCoreClockWide);
    if (programming.busBusy) return kExitFailure;  // the bus lock said why
    const ReadEnd readBack = readBackAndPrint(context);
    if (programming.end != ProgramEnd::Applied) return reportNotApplied(context, programming, readBack, requested);
    const uint32_t seconds = static_cast<uint32_t>(confirmSeconds(context));
    const bool heldAsAsked = readBack == ReadEnd::Read && holdsSetting(currentSetting, requested);
    if (seconds == 0) {
        if (heldAsAsked) return kExitOk;
        say(context.err, "the clock generator could not be read back after programming");
        return kExitFailure;
    }
    const std::string previous = settingText(settingOfRegisters(programming.before));
    // Clocks nobody has seen cannot be kept.
    if (!heldAsAsked) {
        say(context.err, "the new clocks could not be read back: going back to %s", previous.c_str());
        return revert(context, programming, requested, 0);
    }
    // A signal that came during the programming is the answer.
    KeepReply reply{KeepAnswer::Interrupted, context.signals->take()};
    if (reply.signal == 0) {
        const QuestionPlace place = openQuestionPlace(context.terminal, context.input, context.err);
        reply = askToKeep(place, seconds, *context.signals, "keep the new clocks?");
        closeQuestionPlace(place);
        if (reply.answer == KeepAnswer::Yes) return kExitOk;
    }
    say(context.err, "%s: going back to %s", whyNotKept(reply, seconds).c_str(), previous.c_str());
    return revert(context, programming, requested, reply.signal);
}

// What to program: the chip is read first when its divider is kept.
int programSetting(const CliContext& context, ClockSetting requested, bool keepDivider)
{
    const int prepared = prepareToProgram(context);
    if (prepared != kExitOk) return prepared;
    if (keepDivider) {
        const ReadEnd read = readCurrentValues();
        if (read != ReadEnd::Read) {
            if (read == ReadEnd::Failed) say(context.err, "the clock generator could not be read: nothing programmed");
            return kExitFailure;
        }
        requested.ratioCode = currentSetting.ratioCode;
    }
    return program(context, requested);
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
    if (!isSelectableSetting(options.setting)) {
        say(err,
            "'%s' holds FSB %g MHz, divider code %d: not a setting set could choose (FSB 90.0 to 257.0 MHz in "
            "0.5 MHz steps, divider 1/2 to 1/8 or fixed)",
            path, static_cast<double>(options.setting.fsbMhz), static_cast<int>(options.setting.ratioCode));
        return kExitUsage;
    }
    return kExitOk;
}

int applyCommand(const CliContext& context) { return programSetting(context, context.options.setting, false); }

#include "cli/run_cli.h"

#include <unistd.h>

#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_usage.h"
#include "cli/held_signals.h"
#include "cli/program_trace.h"
#include "cli/stream_notifier.h"
#include "hw/hw_channel.h"

namespace {

int runCommand(const CliContext& context)
{
    switch (context.options.command) {
    case CliCommand::Survey: return surveyCommand(context);
    case CliCommand::Get: return getCommand(context);
    case CliCommand::Set: return setCommand(context);
    case CliCommand::Apply: return applyCommand(context);
    case CliCommand::Save: return saveCommand(context);
    case CliCommand::SmbusRead: return smbusReadCommand(context);
    case CliCommand::None: break;
    }
    return kExitUsage;
}

}  // namespace

int runCli(int argc, char** argv, std::FILE* out, std::FILE* err, const CliSeams& seams)
{
    CliOptions options;
    std::string error;
    if (!parseCliOptions(argc, argv, options, error)) {
        say(err, "%s", error.c_str());
        std::fprintf(err, "Try '%s --help' for more information.\n", kProgramName);
        return kExitUsage;
    }
    if (options.help) {
        printUsage(out);
        return kExitOk;
    }

    if (options.command == CliCommand::Apply) {
        if (const int refused = readFileToApply(options, err); refused != kExitOk) return refused;
    }

    StreamNotifier notifier(err);
    CliPlatform platform;
    const int refused = platform.install(options, seams, notifier, err);
    if (refused != kExitOk) return refused;
    ProgramTrace trace;
    if (!options.tracePath.empty() && !trace.open(options.tracePath.c_str())) {
        say(err, "cannot write the trace file '%s'", options.tracePath.c_str());
        return kExitUsage;
    }
    // From here to the end no signal ends the program half-way: a command
    // takes one where it can act on it, and one left over ends it after.
    HeldSignals signals;
    int status = runCommand(CliContext{options, out, err, platform.pciSysfs(), seams.input,
                                       isatty(seams.input) == 1, &signals, seams.terminal, &platform});
    unloadDriver();
    if (const int signal = signals.take(); signal != 0 && status < exitStatusOfSignal(0))
        status = exitStatusOfSignal(signal);
    return status;
}

// qz8fsb-cli's subcommands, one function each; each returns the exit status.
#pragma once

#include "cli/cli_context.h"

// The PCI functions, the SMBus host and the clock generator's setting.
int surveyCommand(const CliContext& context);
// One SMBus word read at the given address and command.
int smbusReadCommand(const CliContext& context);
// The processor and the clocks, as the window's Current row.
int getCommand(const CliContext& context);
// The clock generator's setting to a settings file.
int saveCommand(const CliContext& context);
// A new FSB and divider, as "Set New Values" programs them.
int setCommand(const CliContext& context);
// The settings file of apply, read into options.setting and validated as
// batch mode validates it, before any access is checked: kExitOk, or
// kExitUsage after saying why it is refused.
int readFileToApply(CliOptions& options, std::FILE* err);
// The setting read by readFileToApply.
int applyCommand(const CliContext& context);

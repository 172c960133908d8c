// The start-up survey each subcommand begins with, as the windowed program's
// start-up makes it, its messages on the command line's error stream.
#pragma once

#include <cstdio>

#include "cli/cli_context.h"
#include "steps/hardware_survey.h"

// The survey, for subcommands that need the SMBus: kExitOk, or the exit
// status after saying why. A kernel driver that owns the SMBus host (its
// transactions would interleave with the program's) is a refusal unless
// --force is given.
int surveyForSmbus(const CliContext& context);
// After a survey that found the SMBus host: kExitOk, or kExitUsage after
// saying which kernel driver owns it (unless --force).
int refuseKernelOwner(const CliContext& context);
// Processor and chipset as the window identifies them (the device open for
// the multiplier's MSR and the memory ratio's configuration register).
void identifyMachine();

// The start-up survey each subcommand begins with, as the windowed program's
// start-up makes it, its messages on the command line's error stream.
#pragma once

#include <cstdio>

#include "cli/cli_context.h"
#include "steps/hardware_survey.h"

// The survey, for subcommands that need the SMBus, and the path to it
// (cli/smbus_path.h): kExitOk, or the exit status after saying why not.
// With --i2c-bus a machine without a listed SMBus host goes on too.
int surveyForSmbus(const CliContext& context);
// Processor and chipset as the window identifies them (the device open for
// the multiplier's MSR and the memory ratio's configuration register).
void identifyMachine();

// The start-up survey each subcommand begins with, as the windowed program's
// start-up makes it, its messages on the command line's error stream.
#pragma once

#include <cstdio>

enum class SurveyResult { Ready, NoChannel, NoSmbus };

// Loads the driver, opens the device, scans the PCI bus, finds the SMBus
// host controller and closes the device. Says nothing.
SurveyResult surveyHardware();
// The survey, for subcommands that need the SMBus: false after saying why.
bool surveyForSmbus(std::FILE* err);
// Processor and chipset as the window identifies them (the device open for
// the multiplier's MSR and the memory ratio's configuration register).
void identifyMachine();

// What every subcommand of qz8fsb-cli is handed: its options and where its
// output and its messages go.
#pragma once

#include <cstdio>

#include "cli/cli_options.h"

class HeldSignals;

constexpr int kExitOk = 0;           // done; after set and apply the new clocks stay
constexpr int kExitFailure = 1;      // the hardware failed or could not be read; nothing changed, or the
                                     // previous setting is back
constexpr int kExitUsage = 2;        // usage, bad input, missing access, a refusal
constexpr int kExitReverted = 3;     // the new clocks were not kept: the previous setting is back
constexpr int kExitRevertFailed = 4; // a way back failed: the chip holds what was said, or may hold a mix
// A held signal ended the command: 128 + its number (held_signals.h).

constexpr char kProgramName[] = "qz8fsb-cli";

class CliPlatform;

struct CliContext {
    const CliOptions& options;
    std::FILE* out;
    std::FILE* err;
    const char* pciSysfs = nullptr;  // the kernel's PCI listing, to find drivers on the SMBus
    int input = 0;                   // where the answer to a question comes from
    bool inputIsTerminal = false;
    HeldSignals* signals = nullptr;  // held for the whole command
    const char* terminal = nullptr;  // the controlling terminal to ask on, or null for none
    CliPlatform* platform = nullptr;  // the machine, for the choice of the SMBus path
};

// One message line on `err`: the program's name, then the text.
void say(std::FILE* err, const char* format, ...) __attribute__((format(printf, 2, 3)));

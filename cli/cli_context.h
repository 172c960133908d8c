// What every subcommand of qz8fsb-cli is handed: its options and where its
// output and its messages go.
#pragma once

#include <cstdio>

#include "cli/cli_options.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the hardware failed or could not be read
constexpr int kExitUsage = 2;    // usage, bad input, missing access, a refusal

constexpr char kProgramName[] = "qz8fsb-cli";

class CliPlatform;

struct CliContext {
    const CliOptions& options;
    std::FILE* out;
    std::FILE* err;
    const char* pciSysfs = nullptr;  // the kernel's PCI listing, to find drivers on the SMBus
    int input = 0;                   // where the answer to a question comes from
    bool inputIsTerminal = false;
    CliPlatform* platform = nullptr;  // the machine, for the choice of the SMBus path
};

// One message line on `err`: the program's name, then the text.
void say(std::FILE* err, const char* format, ...) __attribute__((format(printf, 2, 3)));

// qz8fsb-cli as a function: the whole program, platform installation
// included, so that the tests can run it in-process.
#pragma once

#include <cstdio>

#include "cli/cli_platform.h"

// argv as main receives it (getopt_long may reorder it). Output goes to
// `out`, messages to `err`; returns the exit status. Expects the process
// records (PCI table, SMBus ports, identification) as a fresh process has
// them.
int runCli(int argc, char** argv, std::FILE* out, std::FILE* err, const CliSeams& seams = CliSeams{});

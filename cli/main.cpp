// qz8fsb-cli: the clock generator of the QZ8-II from a Linux command line.
#include <cstdio>

#include "cli/run_cli.h"

int main(int argc, char** argv) { return runCli(argc, argv, stdout, stderr); }

#pragma once

#include <cstdio>

// The --help text: the manual of qz8fsb-cli.
void printUsage(std::FILE* out);

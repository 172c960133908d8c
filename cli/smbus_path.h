// How the program reaches the SMBus, chosen after the survey: where a kernel
// driver owns the SMBus host, through that driver (its adapter's /dev/i2c-N,
// the kernel's adapter lock keeping each transaction whole among the bus's
// other users); where none does, through the host's ports, with port access
// from the kernel. --i2c-bus names an adapter instead, for debugging.
#pragma once

#include "cli/cli_context.h"

// kExitOk with the path installed; otherwise the exit status after saying
// why not (no adapter, no i2c-dev, an address a kernel driver has claimed
// without --force, no port access).
int chooseSmbusPath(const CliContext& context);

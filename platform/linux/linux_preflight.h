// What the Linux back end needs before the program may touch the hardware:
// root, the msr device, and port access from iopl(3).
#pragma once

#include <string>

#include "platform/linux/msr_file.h"

// Empty when all is there; else one line naming the first thing missing.
// Touches no hardware: a granted iopl(3) is given back at once. A null or
// empty `msrPath`: the command reads no MSR, and the msr device is not asked
// for.
std::string linuxAccessProblem(const char* msrPath = kMsrDevicePath);

// What the Linux back end needs before the program may touch the hardware:
// root, the msr device, and, where the program drives ports itself, port
// access from iopl(3). A kernel in lockdown (lockdown=integrity, or Secure
// Boot on distributions that tie the two) refuses iopl() and ioperm() but
// still serves MSR reads, PCI configuration reads and i2c-dev.
#pragma once

#include <string>

#include "platform/linux/msr_file.h"

constexpr char kLockdownPath[] = "/sys/kernel/security/lockdown";

// Empty when all is there; else one line naming the first thing missing.
// Touches no hardware: a granted iopl(3) is given back at once. A null or
// empty `msrPath`: the command reads no MSR, and the msr device is not asked
// for. `ports`: iopl(3) is asked for too (without sysfs the PCI scan itself
// needs the configuration ports).
std::string linuxAccessProblem(const char* msrPath = kMsrDevicePath, bool ports = true);

// The kernel's lockdown mode as `lockdownPath` shows it ("integrity",
// "confidentiality"), or "" for none or where it cannot be read.
std::string kernelLockdown(const char* lockdownPath = kLockdownPath);

// One line saying why iopl(3) failed with `error`. Under lockdown it names
// the lockdown and then `instead`, what to do instead.
std::string portRefusal(int error, const std::string& instead, const char* lockdownPath = kLockdownPath);

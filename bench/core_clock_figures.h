// Core clock measured on the machine the bench runs on, against the
// time-stamp-counter frequency its operating system calibrated.
#pragma once

// Prints core-clock, core-clock-reference, core-clock-error-ppm and
// core-clock-wall-time lines.
void coreClockFigures();

// Per operating system: install the machine's own processor and timer as
// the platform, and read the OS's TSC frequency (false when it has none).
void installMachineClock();
bool machineTscReferenceMhz(double& mhz, const char*& source);

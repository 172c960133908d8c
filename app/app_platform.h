// The platform each executable runs on: the real machine, or the simulated
// board. The only difference between the two programs.
#pragma once

#include <cstdint>

// Installs the platform. 0 when it is ready; otherwise the exit status, after
// telling the user why.
int32_t installAppPlatform();
// Last words of the platform at exit (the simulated board writes its trace).
void releaseAppPlatform();

// Start-up's hardware steps and batch mode, shared by both executables and
// free of any window: failures go to the platform's message boxes.
#pragma once

// Loads the driver, checks the device, scans the PCI bus and finds the SMBus
// host controller, leaving the device closed. False after the failure's box
// and the driver's removal.
bool bringUpHardware();

#include "clock/clock_setting.h"

enum class BatchOutcome {
    NotBatch,  // no "-file=": the window runs
    Applied,   // the file's setting is in the clock generator
    Refused,   // no file, a short one, or a setting the chip cannot take: nothing sent
    Failed,    // the programming sequence failed on the way
};

// Batch mode when the command line holds "-file=": applies the settings
// file named there. A refusal or a failure is said in a message box.
BatchOutcome runBatchMode(const char* commandLine);

// Start-up's hardware steps and batch mode, shared by both executables and
// free of any window: failures go to the platform's message boxes.
#pragma once

// Loads the driver, checks the device, scans the PCI bus and finds the SMBus
// host controller, leaving the device closed. False after the failure's box
// and the driver's removal.
bool bringUpHardware();

// Batch mode when the command line holds "-file=": applies the settings
// file named there and returns true. False (nothing done) without it.
bool runBatchMode(const char* commandLine);

// The clock generator takes FSB values from 2.0 to 257.0 MHz and refuses
// anything else (NaN included).
bool isProgrammableFsb(float fsbMhz);

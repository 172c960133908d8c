// The survey both front ends begin with: the hardware channel, the PCI bus
// and the SMBus host controller. Says nothing itself; each front end tells
// its user in its own way.
#pragma once

enum class SurveyResult {
    Ready,     // the SMBus host controller was found; the device is closed again
    NoDriver,  // loadDriver failed (driverLoaded is 0)
    NoDevice,  // the device did not open
    NoSmbus,   // PCI scanned, no SMBus host controller; the device is closed again
};

// Loads the driver, opens the device, scans the PCI bus, finds the SMBus
// host controller and closes the device.
SurveyResult surveyHardware();

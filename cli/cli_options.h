// qz8fsb-cli's command line, parsed into a plain struct before anything
// touches the hardware.
#pragma once

#include <cstdint>
#include <string>

#include "clock/clock_setting.h"

enum class CliCommand : uint8_t { None, Survey, Get, Set, Apply, Save, SmbusRead };

struct CliOptions {
    CliCommand command = CliCommand::None;
    bool help = false;
    bool force = false;         // a board other than the QZ8-II; an SMBus address a kernel driver has claimed
    int i2cBus = -1;            // --i2c-bus: the kernel's adapter i2c-N for the SMBus; -1 the host's own path
    bool simulated = false;     // --sim given
    std::string scenario;       // its QZ8_SIM text
    std::string tracePath;      // --trace; empty for none
    ClockSetting setting{};     // set: the FSB as the slider stores it, and the divider
    bool keepDivider = false;   // set without a divider: the chip's own is kept
    // set and apply: seconds to answer whether the new clocks stay; 0 never
    // asks; -1 until given (then: 15 when standard input is a terminal).
    int confirmSeconds = -1;
    std::string file;           // apply, save
    uint8_t smbusAddress = 0;   // smbus-read: 7-bit address
    uint8_t smbusCommand = 0;
};

// True with `options` filled; false with a one-line reason in `error`.
// Argument order is free (getopt_long's): options may follow the command.
bool parseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

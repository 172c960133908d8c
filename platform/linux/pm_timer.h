// The ACPI power-management timer: 3.579545 MHz from the board's fixed
// reference crystal, which an FSB change does not move, unlike the
// time-stamp counter and a kernel clock calibrated against it.
#pragma once

#include <cstdint>
#include <string>

constexpr int64_t kPmTimerHz = 3579545;
constexpr char kFadtPath[] = "/sys/firmware/acpi/tables/FACP";
constexpr char kClocksourcePath[] = "/sys/devices/system/clocksource/clocksource0/current_clocksource";

// The timer's I/O port as the firmware's FADT gives it (PM_TMR_BLK), or 0
// when the table is missing, short, or names none (a hardware-reduced
// platform has no such timer).
uint16_t pmTimerPortOf(const std::string& fadt);
// The same, read from the kernel's copy of the table at `path`.
uint16_t findPmTimerPort(const char* path);

// The timer counts 24 bits (some chips 32): whole counts since the first
// reading, as long as two readings are less than 4.6 s apart.
class PmTimerCount {
public:
    int64_t extend(uint32_t reading);

private:
    bool started_ = false;
    uint32_t last_ = 0;
    int64_t total_ = 0;
};

// What the core clock is measured against: a counter the FSB does not move.
enum class TimeBase : uint8_t {
    PmTimer,      // read with the port instruction
    KernelClock,  // CLOCK_MONOTONIC_RAW, when the kernel's clocksource is not the TSC
    None,         // the kernel's clock follows the TSC: no honest measurement
};
// The PM timer where it can be read; else the kernel's clock unless its
// clocksource (as sysfs names it) is the TSC.
TimeBase chooseTimeBase(bool pmTimerReadable, const std::string& clocksource);

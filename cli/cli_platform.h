// The machine qz8fsb-cli runs on: the real board through the Linux back end,
// or with --sim the simulated board.
#pragma once

#include <cstdio>
#include <memory>

#include "cli/cli_options.h"
#include "platform/linux/msr_file.h"
#include "platform/platform.h"
#include "sim/sim_platform.h"
#include "sim/sim_trace.h"

// Where the program finds its machine. The tests name a msr device that is
// not there, and hand in the simulated board to look at it afterwards.
struct CliSeams {
    const char* msrPath = kMsrDevicePath;
    sim::SimMachine* simMachine = nullptr;  // --sim: this board (else one of its own)
    // False: the handed-in board keeps what earlier runs left, as a real
    // board does between two commands; --sim's scenario is not applied.
    bool applyScenario = true;
    // Where the kernel lists its PCI functions and their drivers: the real
    // machine's when null; none is looked at on the simulated board unless
    // a test names one.
    const char* pciSysfs = nullptr;
    int input = 0;  // standard input: where set and apply read the answer to their question
    // The controlling terminal, where the question is asked when there is
    // one; null: none (the tests).
    const char* terminal = "/dev/tty";
    // The simulated board's other owner of the SMBus, or null: none.
    BusLock* simBusLock = nullptr;
};

// The msr device a command needs: only get shows the multiplier; "" for none.
const char* msrDeviceFor(CliCommand command, const char* msrPath);

struct RealMachine;
struct PacedSimulation;

class CliPlatform {
public:
    CliPlatform();
    ~CliPlatform();

    // Installs the platform; the real one only after the preflight found
    // all it needs. kExitOk, or the exit status after saying why on `err`.
    int install(const CliOptions& options, const CliSeams& seams, Notifier& notifier, std::FILE* err);
    // Ends the board's own trace and leaves no platform installed.
    void release();
    // The kernel's PCI listing to check for drivers, or null.
    const char* pciSysfs() const { return pciSysfs_; }

private:
    int installSimulated(const CliOptions& options, const CliSeams& seams, Notifier& notifier, std::FILE* err);

    std::unique_ptr<RealMachine> real_;
    std::unique_ptr<sim::SimMachine> ownBoard_;
    std::unique_ptr<PacedSimulation> paced_;
    sim::SimMachine* sim_ = nullptr;
    sim::SmbusTraceWriter boardTrace_;
    const char* pciSysfs_ = nullptr;
};

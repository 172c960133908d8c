// The machine qz8fsb-cli runs on: the real board through the Linux back end,
// or with --sim the simulated board.
#pragma once

#include <cstdio>
#include <memory>

#include "cli/cli_options.h"
#include "platform/linux/i2c_dev_smbus.h"
#include "platform/linux/kernel_driver.h"
#include "platform/linux/kernel_module.h"
#include "platform/linux/linux_preflight.h"
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
    // The kernel's i2c-dev: where its device files and its adapters are
    // listed, its ioctl boundary (null: the system's), how a module is
    // loaded, and where the kernel says whether it is locked down.
    const char* devFolder = "/dev";
    const char* i2cSysfs = kI2cSysfs;
    I2cDevKernel* i2cKernel = nullptr;
    bool (*loadModule)(const char* name) = loadKernelModule;
    const char* lockdownPath = kLockdownPath;
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

    // The kernel's i2c-dev as the seams name it, and its back end.
    const CliSeams& seams() const { return seams_; }
    I2cDevSmbus& i2cDev();
    // Port access for the SMBus host's ports: "" when granted, else why not
    // (under lockdown with `instead`, what to do instead). The simulated
    // board needs none.
    std::string grantPorts(const std::string& instead);
    // The platform installed again with `smbus` as its path to the SMBus.
    void useSmbusPath(SmbusBackend* smbus);

private:
    int installSimulated(const CliOptions& options, const CliSeams& seams, Notifier& notifier, std::FILE* err);

    std::unique_ptr<RealMachine> real_;
    std::unique_ptr<sim::SimMachine> ownBoard_;
    std::unique_ptr<PacedSimulation> paced_;
    sim::SimMachine* sim_ = nullptr;
    sim::SmbusTraceWriter boardTrace_;
    const char* pciSysfs_ = nullptr;
    CliSeams seams_;
    std::unique_ptr<I2cDevSmbus> i2cDev_;
};

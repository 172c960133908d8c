#include "cli/cli_platform.h"

#include "platform/linux/kernel_driver.h"

#include <cerrno>
#include <utility>

#include "cli/cli_context.h"
#include "platform/linux/linux_bus_lock.h"
#include "platform/linux/linux_channel.h"
#include "platform/linux/linux_preflight.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/sysfs_config.h"
#include "platform/x86/x86_processor.h"

struct RealMachine {
    explicit RealMachine(LinuxAccessPaths paths) : channel(std::move(paths)) {}
    LinuxChannel channel;
    X86Processor processor;
    LinuxTiming timing;
    LinuxBusLock busLock;
};

CliPlatform::CliPlatform() = default;

CliPlatform::~CliPlatform() { release(); }

int CliPlatform::install(const CliOptions& options, const CliSeams& seams, Notifier& notifier, std::FILE* err)
{
    seams_ = seams;
    pciSysfs_ = seams.pciSysfs;
    if (options.simulated) return installSimulated(options, seams, notifier, err);
    if (pciSysfs_ == nullptr) pciSysfs_ = kPciSysfs;
    // The multiplier's MSR only for the commands that show the processor.
    const bool readsMsr = options.command == CliCommand::Get || options.command == CliCommand::Set ||
                          options.command == CliCommand::Apply;
    LinuxAccessPaths paths{readsMsr ? seams.msrPath : "", pciSysfs_};
    // Port access now only where the scan itself needs the configuration
    // ports; the SMBus path is chosen after the survey.
    const std::string problem = linuxAccessProblem(paths.msrDevice.c_str(), !sysfsConfigAvailable(pciSysfs_));
    if (!problem.empty()) {
        say(err, "%s", problem.c_str());
        return kExitUsage;
    }
    real_ = std::make_unique<RealMachine>(std::move(paths));
    installPlatform(Platform{&real_->channel, &real_->processor, &real_->timing, &notifier, &real_->busLock});
    return kExitOk;
}

// The simulated board is the program's own: no other copy shares its bus.
int CliPlatform::installSimulated(const CliOptions& options, const CliSeams& seams, Notifier& notifier,
                                  std::FILE* err)
{
    sim::Scenario scenario;
    char error[200];
    if (!sim::parseScenario(options.scenario.c_str(), scenario, error, sizeof error)) {
        say(err, "--sim: %s", error);
        return kExitUsage;
    }
    if (seams.simMachine == nullptr) ownBoard_ = std::make_unique<sim::SimMachine>();
    sim_ = seams.simMachine != nullptr ? seams.simMachine : ownBoard_.get();
    if (seams.simMachine == nullptr || seams.applyScenario) sim_->board.configure(scenario);
    if (scenario.tracePath[0] != '\0') {
        if (!boardTrace_.open(scenario.tracePath)) {
            say(err, "--sim: cannot write the trace file '%s'", scenario.tracePath);
            return kExitUsage;
        }
        sim_->board.setSmbusObserver(&boardTrace_);
    }
    installPlatform(sim_->platform(notifier));
    return kExitOk;
}

I2cDevSmbus& CliPlatform::i2cDev()
{
    if (i2cDev_ == nullptr)
        i2cDev_ = std::make_unique<I2cDevSmbus>(seams_.i2cKernel != nullptr ? *seams_.i2cKernel : systemI2cDevKernel());
    return *i2cDev_;
}

std::string CliPlatform::grantPorts(const std::string& instead)
{
    if (real_ == nullptr || real_->channel.grantPorts()) return {};
    return portRefusal(errno, instead, seams_.lockdownPath);
}

void CliPlatform::useSmbusPath(SmbusBackend* smbus)
{
    Platform platform = currentPlatform();
    platform.smbus = smbus;
    installPlatform(platform);
}

void CliPlatform::release()
{
    if (sim_ != nullptr && boardTrace_.isOpen()) {
        sim_->board.settleSmbus();
        sim_->board.setSmbusObserver(nullptr);
        boardTrace_.close(sim_->board);
    }
    sim_ = nullptr;
    installPlatform(Platform{});
    real_.reset();
    ownBoard_.reset();
    i2cDev_.reset();
}

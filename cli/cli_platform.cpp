#include "cli/cli_platform.h"

#include "platform/linux/kernel_driver.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "cli/cli_context.h"
#include "platform/linux/linux_bus_lock.h"
#include "platform/linux/linux_channel.h"
#include "platform/linux/linux_preflight.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/sysfs_config.h"
#include "platform/x86/x86_processor.h"

namespace {

// The simulated board's sleeps, also taken on the real clock.
class PacedTiming final : public Timing {
public:
    explicit PacedTiming(Timing& inner) : inner_(inner) {}
    int64_t perfFrequency() override { return inner_.perfFrequency(); }
    int64_t perfCounter() override { return inner_.perfCounter(); }
    SavedPriority raisePriority() override { return inner_.raisePriority(); }
    void restorePriority(const SavedPriority& saved) override { inner_.restorePriority(saved); }
    void sleepMs(uint32_t milliseconds) override
    {
        inner_.sleepMs(milliseconds);
        real_.sleepMs(milliseconds);
    }
    void beginPreciseSleeps() override { inner_.beginPreciseSleeps(); }
    void endPreciseSleeps() override { inner_.endPreciseSleeps(); }

private:
    Timing& inner_;
    LinuxTiming real_;
};

}  // namespace

struct PacedSimulation {
    explicit PacedSimulation(Timing& inner) : timing(inner) {}
    PacedTiming timing;
};

struct RealMachine {
    explicit RealMachine(LinuxAccessPaths paths) : channel(std::move(paths)) {}
    LinuxChannel channel;
    X86Processor processor;
    LinuxTiming timing;
    LinuxBusLock busLock;
};

const char* msrDeviceFor(CliCommand command, const char* msrPath)
{
    return command == CliCommand::Get ? msrPath : "";
}

CliPlatform::CliPlatform() = default;

CliPlatform::~CliPlatform() { release(); }

int CliPlatform::install(const CliOptions& options, const CliSeams& seams, Notifier& notifier, std::FILE* err)
{
    seams_ = seams;
    pciSysfs_ = seams.pciSysfs;
    if (options.simulated) return installSimulated(options, seams, notifier, err);
    if (pciSysfs_ == nullptr) pciSysfs_ = kPciSysfs;
    LinuxAccessPaths paths{msrDeviceFor(options.command, seams.msrPath), pciSysfs_};
    // Port access now only where the scan itself needs the configuration
    // ports; the SMBus path is chosen after the survey.
    const std::string problem = linuxAccessProblem(paths.msrDevice.c_str(), !sysfsConfigAvailable(pciSysfs_));
    if (!problem.empty()) {
        say(err, "%s", problem.c_str());
        return kExitUsage;
    }
    real_ = std::make_unique<RealMachine>(std::move(paths));
    if (!real_->busLock.open()) {
        say(err, "cannot open the SMBus lock file %s: %s", real_->busLock.path().c_str(), std::strerror(errno));
        real_.reset();
        return kExitUsage;
    }
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
    Platform platform = sim_->platform(notifier);
    platform.busLock = seams.simBusLock;
    if (scenario.realPace) {
        paced_ = std::make_unique<PacedSimulation>(*platform.timing);
        platform.timing = &paced_->timing;
    }
    installPlatform(platform);
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
    paced_.reset();
    real_.reset();
    ownBoard_.reset();
    i2cDev_.reset();
}

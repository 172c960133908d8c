#include "cli/smbus_path.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/cli_platform.h"
#include "cli/pci_lines.h"
#include "clock/smbus.h"
#include "hw/pci.h"
#include "platform/linux/i2c_dev_smbus.h"
#include "platform/linux/kernel_driver.h"

namespace {

constexpr uint8_t kClockChip = 0x69;
constexpr char kI2cDevModule[] = "i2c-dev";

// The SMBus host the survey found, or null.
const PciDeviceRecord* smbusHost()
{
    const int32_t index = findSouthBridge();
    if (smbusPorts.base == 0 || index < 0 || static_cast<uint32_t>(index) >= pciDeviceTable.count) return nullptr;
    return &pciDeviceTable.records[index];
}

std::string hostDriver(const CliContext& context, const PciDeviceRecord* host)
{
    if (host == nullptr || context.pciSysfs == nullptr) return {};
    return pciKernelDriver(context.pciSysfs, host->bus, host->device, host->function);
}

int hostAdapter(const CliContext& context, const PciDeviceRecord* host)
{
    if (host == nullptr || context.pciSysfs == nullptr) return -1;
    return pciI2cAdapter(context.pciSysfs, host->bus, host->device, host->function);
}

std::string adapterText(const CliContext& context, int adapter)
{
    const std::string name = i2cAdapterName(context.platform->seams().i2cSysfs, adapter);
    return "i2c-" + std::to_string(adapter) + (name.empty() ? std::string() : " (" + name + ")");
}

// The host's own ports; under lockdown the kernel's driver is the way out.
int usePorts(const CliContext& context, const PciDeviceRecord& host)
{
    const char* module = smbusHostModule(host.vendorId, host.deviceId);
    const std::string instead = "load the kernel's SMBus driver for the host at " + pciLocation(host) +
                                (module != nullptr ? std::string(" (modprobe ") + module + ")" : std::string()) +
                                ", and the tool goes through it (i2c-dev)";
    const std::string problem = context.platform->grantPorts(instead);
    if (problem.empty()) return kExitOk;
    say(context.err, "%s", problem.c_str());
    return kExitUsage;
}

// The address the command's transactions go to.
uint8_t targetAddress(const CliOptions& options)
{
    return options.command == CliCommand::SmbusRead ? options.smbusAddress : kClockChip;
}

int useI2cDev(const CliContext& context, int adapter)
{
    CliPlatform& platform = *context.platform;
    const CliSeams& seams = platform.seams();
    const CliOptions& options = context.options;
    const std::string device = std::string(seams.devFolder) + "/i2c-" + std::to_string(adapter);
    I2cDevSmbus& i2c = platform.i2cDev();
    if (!i2c.open(device)) {
        // The adapter is there without its device file: the kernel's i2c-dev
        // module makes those.
        const int error = errno;
        if (error != ENOENT || !seams.loadModule(kI2cDevModule) || !i2c.open(device)) {
            say(context.err, "cannot open %s for the SMBus of %s: %s; it comes with the kernel's i2c-dev module (modprobe i2c-dev)",
                device.c_str(), adapterText(context, adapter).c_str(), std::strerror(error));
            return kExitUsage;
        }
    }
    const bool wordRead = options.command == CliCommand::SmbusRead;
    if (!i2c.offers(wordRead ? kI2cWordRead : kI2cClockChip)) {
        say(context.err, "%s offers no SMBus %s, which %s needs", adapterText(context, adapter).c_str(),
            wordRead ? "word reads" : "word and block transfers", wordRead ? "smbus-read" : "the clock generator");
        return kExitUsage;
    }
    const uint8_t address = targetAddress(options);
    I2cDevSmbus::Claim claim = i2c.claim(address, false);
    if (claim == I2cDevSmbus::Claim::Taken) {
        const std::string client = i2cClientDriver(seams.i2cSysfs, adapter, address);
        const std::string owner = "the kernel's " + (client.empty() ? std::string("own") : client) + " driver";
        if (!options.force) {
            say(context.err, "SMBus address 0x%02x on %s belongs to %s; --force shares it", address,
                adapterText(context, adapter).c_str(), owner.c_str());
            return kExitUsage;
        }
        say(context.err, "--force: sharing SMBus address 0x%02x with %s", address, owner.c_str());
        claim = i2c.claim(address, true);
    }
    if (claim != I2cDevSmbus::Claim::Mine) {
        say(context.err, "cannot address 0x%02x on %s: %s", address, device.c_str(), std::strerror(errno));
        return kExitUsage;
    }
    platform.useSmbusPath(&i2c);
    return kExitOk;
}

}  // namespace

int chooseSmbusPath(const CliContext& context)
{
    const PciDeviceRecord* host = smbusHost();
    const CliOptions& options = context.options;
    if (options.i2cBus >= 0) {
        // Another bus than the host's: only when the user insists.
        const bool hosts = !hostDriver(context, host).empty() && hostAdapter(context, host) == options.i2cBus;
        if (!hosts) {
            const std::string adapter = adapterText(context, options.i2cBus);
            if (!options.force) {
                say(context.err, "--i2c-bus %d: %s is not the SMBus host's adapter; --force uses it anyway",
                    options.i2cBus, adapter.c_str());
                return kExitUsage;
            }
            say(context.err, "--force: the SMBus transactions go to %s", adapter.c_str());
        }
        return useI2cDev(context, options.i2cBus);
    }
    if (host == nullptr) {
        say(context.err, "no SMBus host controller found");
        return kExitFailure;
    }
    const std::string driver = hostDriver(context, host);
    if (driver.empty()) return usePorts(context, *host);
    const int adapter = hostAdapter(context, host);
    if (adapter < 0) {
        say(context.err, "the kernel's %s driver owns the SMBus host at %s but shows no i2c adapter for it",
            driver.c_str(), pciLocation(*host).c_str());
        return kExitUsage;
    }
    return useI2cDev(context, adapter);
}

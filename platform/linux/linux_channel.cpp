#include "platform/linux/linux_channel.h"

#include <sys/io.h>

#include <cerrno>
#include <utility>
#include <cstring>

#include "driver/smbus_locator.h"
#include "platform/linux/linux_port_rules.h"
#include "platform/linux/sysfs_config.h"
#include "platform/x86/port_instructions.h"

namespace {
constexpr int kFullPortAccess = 3;
constexpr int kNoPortAccess = 0;
constexpr uint16_t kConfigAddressPort = 0xCF8;
constexpr uint16_t kConfigDataPort = 0xCFC;

void sayRefused(const std::string& what)
{
    const std::string text = what + ": " + std::strerror(errno);
    showMessage(text.c_str(), "Driver Error", kIconError);
}

uint32_t readBus0FromSysfs(void* root, uint32_t device, uint32_t function, uint32_t offset)
{
    return readSysfsConfigDword(static_cast<const char*>(root), 0, device, function, offset);
}

// Mechanism #1 on bus 0, as the kernel driver reads it at load.
uint32_t readBus0FromPorts(void*, uint32_t device, uint32_t function, uint32_t offset)
{
    portOutDword(kConfigAddressPort, zornik::configAddress(device, function, offset));
    return portInDword(kConfigDataPort);
}
}  // namespace

LinuxChannel::LinuxChannel(LinuxAccessPaths paths)
    : paths_(std::move(paths)), osConfig_(sysfsConfigAvailable(paths_.pciSysfs.c_str()))
{
}

int32_t LinuxChannel::loadDriver()
{
    if (loaded_) return 1;
    if (!osConfig_ && !grantPorts()) {
        sayRefused("iopl(3) was refused");
        return 0;
    }
    if (!paths_.msrDevice.empty() && !msr_.open(paths_.msrDevice.c_str())) {
        sayRefused("cannot open " + paths_.msrDevice);
        unloadDriver();
        return 0;
    }
    smbusBase_ = findSmbusBlock();
    loaded_ = true;
    return 1;
}

bool LinuxChannel::grantPorts()
{
    if (ports_) return true;
    ports_ = iopl(kFullPortAccess) == 0;
    return ports_;
}

uint16_t LinuxChannel::findSmbusBlock()
{
    if (osConfig_) return zornik::locateSmbusBase(readBus0FromSysfs, const_cast<char*>(paths_.pciSysfs.c_str()));
    // Other software uses CONFIG_ADDRESS too: put back what it held.
    const uint32_t saved = portInDword(kConfigAddressPort);
    const uint16_t base = zornik::locateSmbusBase(readBus0FromPorts, nullptr);
    portOutDword(kConfigAddressPort, saved);
    return base;
}

void LinuxChannel::unloadDriver()
{
    loaded_ = false;
    msr_.close();
    if (!ports_) return;
    ports_ = false;
    iopl(kNoPortAccess);
}

bool LinuxChannel::allows(zornik::Access access, uint32_t port) const
{
    return loaded_ && ports_ && linuxAllowsPort(access, port, smbusBase_, osConfig_);
}

int32_t LinuxChannel::inByte(uint32_t port, uint8_t& value)
{
    if (!allows(zornik::Access::InByte, port)) return 0;
    value = portInByte(static_cast<uint16_t>(port));
    return 1;
}

int32_t LinuxChannel::inDword(uint32_t port, uint32_t& value)
{
    if (!allows(zornik::Access::InDword, port)) return 0;
    value = portInDword(static_cast<uint16_t>(port));
    return 1;
}

int32_t LinuxChannel::outByte(uint32_t port, uint8_t value)
{
    if (!allows(zornik::Access::OutByte, port)) return 0;
    portOutByte(static_cast<uint16_t>(port), value);
    return 1;
}

int32_t LinuxChannel::outDword(uint32_t port, uint32_t value)
{
    if (!allows(zornik::Access::OutDword, port)) return 0;
    portOutDword(static_cast<uint16_t>(port), value);
    return 1;
}

int32_t LinuxChannel::readMsr(uint32_t index, uint32_t& low, uint32_t& high)
{
    return loaded_ && msr_.read(index, low, high) ? 1 : 0;
}

uint32_t LinuxChannel::readConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset)
{
    return loaded_ && osConfig_ ? readSysfsConfigDword(paths_.pciSysfs.c_str(), bus, device, function, offset)
                                : 0xFFFFFFFF;
}

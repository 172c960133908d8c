#include "platform/linux/linux_channel.h"

#include <sys/io.h>

#include <cerrno>
#include <cstring>

#include "platform/x86/port_guard.h"
#include "platform/x86/port_instructions.h"

namespace {
constexpr int kFullPortAccess = 3;
constexpr int kNoPortAccess = 0;

void sayRefused(const std::string& what)
{
    const std::string text = what + ": " + std::strerror(errno);
    showMessage(text.c_str(), "Driver Error", kIconError);
}
}  // namespace

int32_t LinuxChannel::loadDriver()
{
    if (loaded_) return 1;
    if (iopl(kFullPortAccess) != 0) {
        sayRefused("iopl(3) was refused");
        return 0;
    }
    if (!msr_.open(msrPath_.c_str())) {
        sayRefused("cannot open " + msrPath_);
        iopl(kNoPortAccess);
        return 0;
    }
    loaded_ = true;
    return 1;
}

void LinuxChannel::unloadDriver()
{
    if (!loaded_) return;
    loaded_ = false;
    msr_.close();
    iopl(kNoPortAccess);
}

bool LinuxChannel::allows(uint32_t port, bool dword) const { return loaded_ && isSafePortCycle(port, dword); }

int32_t LinuxChannel::inByte(uint32_t port, uint8_t& value)
{
    if (!allows(port, false)) return 0;
    value = portInByte(static_cast<uint16_t>(port));
    return 1;
}

int32_t LinuxChannel::inDword(uint32_t port, uint32_t& value)
{
    if (!allows(port, true)) return 0;
    value = portInDword(static_cast<uint16_t>(port));
    return 1;
}

int32_t LinuxChannel::outByte(uint32_t port, uint8_t value)
{
    if (!allows(port, false)) return 0;
    portOutByte(static_cast<uint16_t>(port), value);
    return 1;
}

int32_t LinuxChannel::outDword(uint32_t port, uint32_t value)
{
    if (!allows(port, true)) return 0;
    portOutDword(static_cast<uint16_t>(port), value);
    return 1;
}

int32_t LinuxChannel::readMsr(uint32_t index, uint32_t& low, uint32_t& high)
{
    return loaded_ && msr_.read(index, low, high) ? 1 : 0;
}

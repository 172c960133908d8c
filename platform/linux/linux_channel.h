// The hardware channel on Linux: PCI configuration space from the kernel
// (sysfs) where it is mounted, MSRs from the msr device, and the port
// instructions themselves, allowed by iopl(3): for the PCI scan only where
// sysfs is missing, for the SMBus host only where no kernel driver owns it.
// Never /dev/port: it splits a 32-bit write into byte writes, and the byte
// after 0xCF8 is the reset control register.
#pragma once

#include <string>

#include "driver/request_rules.h"
#include "platform/linux/msr_file.h"
#include "platform/platform.h"

struct LinuxAccessPaths {
    std::string msrDevice = kMsrDevicePath;  // empty: the command reads no MSR
    std::string pciSysfs;                    // empty, or not mounted: raw 0xCF8/0xCFC
};

class LinuxChannel final : public ChannelBackend {
public:
    explicit LinuxChannel(LinuxAccessPaths paths);
    ~LinuxChannel() { unloadDriver(); }

    // Opens the msr device when one is named, finds the SMBus host block
    // whose ports alone it will let through, and gains port access where
    // sysfs is missing (the scan needs the configuration ports then); says
    // through the platform's notifier what was refused.
    int32_t loadDriver() override;
    // Port access for the SMBus host block, once loaded: false with errno
    // set when the kernel refuses iopl(3).
    bool grantPorts();
    void unloadDriver() override;
    // Nothing more to open once loaded.
    int32_t openDevice() override { return loaded_ ? 1 : 0; }
    bool reloadOnOpenFailure() const override { return false; }
    void closeDevice() override {}
    // Fail without a cycle while not loaded or without port access, and for
    // a port the rules of platform/linux/linux_port_rules.h refuse.
    int32_t inByte(uint32_t port, uint8_t& value) override;
    int32_t inDword(uint32_t port, uint32_t& value) override;
    int32_t outByte(uint32_t port, uint8_t value) override;
    int32_t outDword(uint32_t port, uint32_t value) override;
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override;
    bool osConfigSpace() const override { return osConfig_; }
    uint32_t readConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) override;

private:
    bool allows(zornik::Access access, uint32_t port) const;
    uint16_t findSmbusBlock();

    LinuxAccessPaths paths_;
    bool osConfig_;
    MsrFile msr_;
    bool loaded_ = false;
    bool ports_ = false;  // iopl(3) granted
    uint16_t smbusBase_ = 0;
};

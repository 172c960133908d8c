// The hardware channel on Linux: the port instructions themselves, allowed by
// iopl(3), and MSRs from the msr device. Never /dev/port: it splits a 32-bit
// write into byte writes, and the byte after 0xCF8 is the reset control
// register.
#pragma once

#include <string>

#include "platform/linux/msr_file.h"
#include "platform/platform.h"

class LinuxChannel final : public ChannelBackend {
public:
    explicit LinuxChannel(const char* msrPath = kMsrDevicePath) : msrPath_(msrPath) {}
    ~LinuxChannel() { unloadDriver(); }

    // Gains port access and opens the msr device; says through the
    // platform's notifier what was refused.
    int32_t loadDriver() override;
    void unloadDriver() override;
    // Nothing more to open once loaded.
    int32_t openDevice() override { return loaded_ ? 1 : 0; }
    bool reloadOnOpenFailure() const override { return false; }
    void closeDevice() override {}
    // Fail without a cycle while not loaded, and for a cycle of
    // platform/x86/port_guard.h's refused kinds.
    int32_t inByte(uint32_t port, uint8_t& value) override;
    int32_t inDword(uint32_t port, uint32_t& value) override;
    int32_t outByte(uint32_t port, uint8_t value) override;
    int32_t outDword(uint32_t port, uint32_t value) override;
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override;

private:
    bool allows(uint32_t port, bool dword) const;

    std::string msrPath_;
    MsrFile msr_;
    bool loaded_ = false;
};

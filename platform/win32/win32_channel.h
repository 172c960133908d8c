// The production access path on Windows. NT line: the "iogate" kernel-driver
// service and its device. 9x line: port instructions in our own process and
// the VxD for MSR reads.
#pragma once

#include <windows.h>

#include <cstdint>

#include "hw/driver_protocol.h"
#include "platform/platform.h"

class Win32Channel final : public ChannelBackend {
public:
    enum class Line { None, Nt, Win9x };

    int32_t loadDriver() override;
    void unloadDriver() override;
    int32_t openDevice() override;
    bool reloadOnOpenFailure() const override { return line_ == Line::Nt; }
    void closeDevice() override;
    int32_t inByte(uint32_t port, uint8_t& value) override;
    int32_t inDword(uint32_t port, uint32_t& value) override;
    int32_t outByte(uint32_t port, uint8_t value) override;
    int32_t outDword(uint32_t port, uint32_t value) override;
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override;

    Line line() const { return line_; }
    const char* driverPath() const { return driverPath_; }

private:
    int32_t loadNt();
    int32_t loadWin9x();
    int32_t createDriverService();
    int32_t startDriverService();
    bool fillDriverPath();
    bool send(const DriverRequest& request, uint8_t* output, DWORD outputLength);

    Line line_ = Line::None;
    HANDLE device_ = nullptr;
    SC_HANDLE manager_ = nullptr;
    char serviceName_[64] = {};
    char driverPath_[256] = {};
    bool driverPathValid_ = false;
};

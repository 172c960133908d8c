#include "platform/win32/win32_channel.h"

#include <cstring>

#include "hw/driver_protocol.h"
#include "platform/win32/port_io.h"

namespace {
constexpr DWORD kOsVersionInfoSize = 148;  // sizeof(OSVERSIONINFOA)

void driverError(const char* text) { showMessage(text, "Driver Error", kIconError); }

bool isOpen(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

HANDLE openVxd()
{
    return CreateFileA(QZ8_VXD_PATH, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}
}  // namespace

int32_t Win32Channel::loadDriver()
{
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = kOsVersionInfoSize;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return loadNt();
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return loadWin9x();
    return 0;
}

int32_t Win32Channel::loadNt()
{
    line_ = Line::Nt;
    std::strcpy(serviceName_, QZ8_SERVICE_NAME);
    driverPathValid_ = fillDriverPath();
    // A reload after the service vanished replaces the old connection.
    if (manager_ != nullptr) CloseServiceHandle(manager_);
    manager_ = nullptr;
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (createDriverService() == 0) return 0;
    return startDriverService();
}

// The driver file is looked for in the current directory, not beside the
// executable. A directory too long for the 256-character path is refused.
bool Win32Channel::fillDriverPath()
{
    driverPath_[0] = '\0';
    const DWORD length = GetCurrentDirectoryA(sizeof driverPath_, driverPath_);
    const size_t suffix = std::strlen(QZ8_DRIVER_FILE);
    if (length == 0 || length + suffix >= sizeof driverPath_) {
        driverPath_[0] = '\0';
        return false;
    }
    std::strcpy(driverPath_ + length, QZ8_DRIVER_FILE);
    return true;
}

int32_t Win32Channel::createDriverService()
{
    if (driverPathValid_ && manager_ != nullptr) {
        SC_HANDLE service = CreateServiceA(manager_, serviceName_, serviceName_, SERVICE_ALL_ACCESS,
                                           SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                           driverPath_, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (service != nullptr) {
            CloseServiceHandle(service);
            return 1;
        }
        // An existing registration is used as it is, whatever file it names.
        if (GetLastError() == ERROR_SERVICE_EXISTS) return 1;
    }
    driverError("failure: CreateService");
    return 0;
}

int32_t Win32Channel::startDriverService()
{
    SC_HANDLE service = manager_ != nullptr ? OpenServiceA(manager_, serviceName_, SERVICE_ALL_ACCESS) : nullptr;
    if (service == nullptr) {
        driverError("failure: OpenService");
        return 0;
    }
    int32_t result = 1;
    if (StartServiceA(service, 0, nullptr) == 0 && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        driverError("failure: Start Service");
        result = 0;
    }
    CloseServiceHandle(service);
    return result;
}

// Probes that the VxD can be loaded; closing it lets the system unload it.
int32_t Win32Channel::loadWin9x()
{
    line_ = Line::Win9x;
    HANDLE vxd = openVxd();
    if (!isOpen(vxd)) return 0;
    CloseHandle(vxd);
    return 1;
}

void Win32Channel::unloadDriver()
{
    if (line_ != Line::Nt || manager_ == nullptr) return;
    if (SC_HANDLE service = OpenServiceA(manager_, serviceName_, SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        CloseServiceHandle(service);
    }
    if (SC_HANDLE service = OpenServiceA(manager_, serviceName_, SERVICE_ALL_ACCESS)) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager_);
    manager_ = nullptr;
}

int32_t Win32Channel::openDevice()
{
    switch (line_) {
    case Line::Nt:
        device_ = CreateFileA(QZ8_DEVICE_PATH, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        return isOpen(device_) ? 1 : 0;
    case Line::Win9x:
        device_ = openVxd();
        if (isOpen(device_)) return 1;
        showMessage("Unable to open VxD", "error", kIconError);
        return 0;
    case Line::None:
        break;
    }
    return 0;
}

void Win32Channel::closeDevice()
{
    if (isOpen(device_)) CloseHandle(device_);
    device_ = nullptr;
}

bool Win32Channel::send(const DriverRequest& request, uint8_t* output, DWORD outputLength)
{
    DWORD returned = 0;
    return DeviceIoControl(device_, request.code, const_cast<uint8_t*>(request.input), request.inputLength, output,
                           outputLength, &returned, nullptr) != 0;
}

int32_t Win32Channel::inByte(uint32_t port, uint8_t& value)
{
    if (line_ == Line::Win9x) {
        value = portInByte(static_cast<uint16_t>(port));
        return 1;
    }
    uint8_t out[kRequestOutputLength];
    if (line_ != Line::Nt || !send(portReadRequest(false, port), out, sizeof out)) return 0;
    value = out[0];
    return 1;
}

int32_t Win32Channel::inDword(uint32_t port, uint32_t& value)
{
    if (line_ == Line::Win9x) {
        value = portInDword(static_cast<uint16_t>(port));
        return 1;
    }
    uint8_t out[kRequestOutputLength];
    if (line_ != Line::Nt || !send(portReadRequest(true, port), out, sizeof out)) return 0;
    value = getLe32(out);
    return 1;
}

int32_t Win32Channel::outByte(uint32_t port, uint8_t value)
{
    if (line_ == Line::Win9x) {
        portOutByte(static_cast<uint16_t>(port), value);
        return 1;
    }
    uint8_t out[kRequestOutputLength];
    return line_ == Line::Nt && send(portWriteRequest(false, port, value), out, sizeof out) ? 1 : 0;
}

int32_t Win32Channel::outDword(uint32_t port, uint32_t value)
{
    if (line_ == Line::Win9x) {
        portOutDword(static_cast<uint16_t>(port), value);
        return 1;
    }
    uint8_t out[kRequestOutputLength];
    return line_ == Line::Nt && send(portWriteRequest(true, port, value), out, sizeof out) ? 1 : 0;
}

int32_t Win32Channel::readMsr(uint32_t index, uint32_t& low, uint32_t& high)
{
    uint8_t out[kVxdOutputLength];
    DriverRequest request = msrReadRequest(index);
    bool done = false;
    if (line_ == Line::Nt) done = send(request, out, kRequestOutputLength);
    if (line_ == Line::Win9x) {
        request.code = kVxdReadMsr;
        done = send(request, out, kVxdOutputLength);
    }
    if (!done) return 0;
    low = getLe32(out);
    high = getLe32(out + 4);
    return 1;
}

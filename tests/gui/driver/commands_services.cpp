#include "commands.h"

#include "command_support.h"

namespace guidriver {

namespace {

// The driver service as another program would leave it.
SC_HANDLE openService(const std::string& name, DWORD access, std::string& failure)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, name.c_str(), access) : nullptr;
    if (manager != nullptr) CloseServiceHandle(manager);
    if (service == nullptr) failure = "service " + name + " is not registered";
    return service;
}

SC_HANDLE createService(const ScriptLine& line, std::string& failure)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager == nullptr ? nullptr
        : CreateServiceA(manager, line.words[1].c_str(), line.words[1].c_str(), SERVICE_ALL_ACCESS,
                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, line.words[2].c_str(),
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service == nullptr) failure = "cannot register service " + line.words[1] + ": error " + std::to_string(GetLastError());
    if (manager != nullptr) CloseServiceHandle(manager);
    return service;
}

bool serviceState(SC_HANDLE service, DWORD& state)
{
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status)) return false;
    state = status.dwCurrentState;
    return true;
}

}  // namespace

// A driver service left registered would survive the program's exit.
// A registration marked for deletion goes once the service has stopped and
// its last handle is closed, which can come a moment after DeleteService.
bool cmdExpectNoService(Session& s, const ScriptLine& line, std::string& failure)
{
    const DWORD removalMs = 10000 * s.timeScale;
    const DWORD begin = GetTickCount();
    for (;;) {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (manager == nullptr) {
            failure = "cannot connect to the service manager";
            return false;
        }
        SC_HANDLE service = OpenServiceA(manager, line.words[1].c_str(), SERVICE_QUERY_STATUS);
        if (service != nullptr) CloseServiceHandle(service);
        CloseServiceHandle(manager);
        if (service == nullptr) return true;
        if (GetTickCount() - begin > removalMs) break;
        Sleep(100);
    }
    failure = "service " + line.words[1] + " is still registered";
    return false;
}

bool cmdCreateService(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = createService(line, failure);
    if (service != nullptr) CloseServiceHandle(service);
    return service != nullptr;
}

// Registered, then deleted while this handle stays open: the registration
// remains, marked for deletion, until the script ends.
bool cmdHoldDeletedService(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = createService(line, failure);
    if (service == nullptr) return false;
    if (DeleteService(service)) return true;
    failure = "cannot delete service " + line.words[1];
    CloseServiceHandle(service);
    return false;
}

bool cmdStopService(Session& s, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = openService(line.words[1], SERVICE_ALL_ACCESS, failure);
    if (service == nullptr) return false;
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    DWORD state = 0;
    const DWORD start = GetTickCount();
    while (serviceState(service, state) && state != SERVICE_STOPPED && GetTickCount() - start < s.timeoutMs) Sleep(100);
    CloseServiceHandle(service);
    if (state == SERVICE_STOPPED) return true;
    failure = "service " + line.words[1] + " did not stop (state " + std::to_string(state) + ")";
    return false;
}

bool cmdExpectServiceRunning(Session&, const ScriptLine& line, std::string& failure)
{
    SC_HANDLE service = openService(line.words[1], SERVICE_QUERY_STATUS, failure);
    if (service == nullptr) return false;
    DWORD state = 0;
    serviceState(service, state);
    CloseServiceHandle(service);
    if (state == SERVICE_RUNNING) return true;
    failure = "service " + line.words[1] + " is not running (state " + std::to_string(state) + ")";
    return false;
}

}  // namespace guidriver

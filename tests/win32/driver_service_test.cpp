// The simulated zornik.sys loaded by the service manager, through its device:
// accepted requests reach the board, refused ones never do. Runs in a folder
// that holds the simulated variant as zornik.sys and the real one in real/.
// Wine hosts drivers in a user-mode process, where the real driver's port
// instructions (without I/O permission) and RDMSR fault, as RDMSR of a
// missing MSR does in kernel mode: such a request must fail, not end the host.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver/fault_guard.h"
#include "hw/driver_protocol.h"

namespace {

std::string here()
{
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

void writeFile(const char* name, const char* text)
{
    FILE* f = std::fopen(name, "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fputs(text, f);
    std::fclose(f);
}

// Lines the driver has logged so far; it writes while we read.
size_t portCycles()
{
    HANDLE f = CreateFileA("qz8_ports.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    static char buffer[1 << 20];
    DWORD read = 0;
    ReadFile(f, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(f);
    size_t lines = 0;
    for (DWORD i = 0; i < read; ++i) lines += buffer[i] == '\n';
    return lines;
}

// "iogate" registered for the driver file `path` and started.
class ServiceFixture : public testing::Test {
protected:
    static void install(const std::string& path)
    {
        manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(manager, nullptr);
        removeService();  // left behind by an interrupted run
        SC_HANDLE service = CreateServiceA(manager, QZ8_SERVICE_NAME, QZ8_SERVICE_NAME, SERVICE_ALL_ACCESS,
                                           SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                           path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(service, nullptr) << "CreateService " << GetLastError();
        started = StartServiceA(service, 0, nullptr) != 0;
        startError = GetLastError();
        CloseServiceHandle(service);
    }

    static void TearDownTestSuite()
    {
        removeService();
        CloseServiceHandle(manager);
    }

    static void removeService()
    {
        SC_HANDLE service = OpenServiceA(manager, QZ8_SERVICE_NAME, SERVICE_ALL_ACCESS);
        if (service != nullptr) {
            SERVICE_STATUS status;
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            DeleteService(service);
            CloseServiceHandle(service);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(started) << "StartService " << startError;
        device = CreateFileA(QZ8_DEVICE_PATH, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(device, INVALID_HANDLE_VALUE) << "open " << GetLastError();
    }
    void TearDown() override { CloseHandle(device); }

    // The Win32 error of a refused request, or 0 when it succeeded.
    DWORD send(const DriverRequest& request, uint8_t* output, DWORD outputLength = 8, DWORD inputLength = ~0u)
    {
        DWORD returned = 0;
        uint8_t input[8];
        std::copy(request.input, request.input + 8, input);
        const DWORD length = inputLength == ~0u ? request.inputLength : inputLength;
        if (DeviceIoControl(device, request.code, length ? input : nullptr, length, outputLength ? output : nullptr,
                            outputLength, &returned, nullptr))
            return 0;
        return GetLastError();
    }

    uint32_t configRead(uint32_t address)
    {
        uint8_t out[8] = {};
        EXPECT_EQ(send(portWriteRequest(true, 0xCF8, address), out), 0u);
        EXPECT_EQ(send(portReadRequest(true, 0xCFC), out), 0u);
        return getLe32(out);
    }

    static SC_HANDLE manager;
    static bool started;
    static DWORD startError;
    HANDLE device = INVALID_HANDLE_VALUE;
};

SC_HANDLE ServiceFixture::manager = nullptr;
bool ServiceFixture::started = false;
DWORD ServiceFixture::startError = 0;

class DriverService : public ServiceFixture {
protected:
    static void SetUpTestSuite()
    {
        writeFile("qz8_sim.txt", "board=stock\n");
        writeFile("qz8_ports.txt", "");
        install(here() + QZ8_DRIVER_FILE);
    }
};

class RealDriver : public ServiceFixture {
protected:
    static void SetUpTestSuite() { install(here() + "\\real" QZ8_DRIVER_FILE); }
};

TEST_F(DriverService, AnswersTheProgramsRequestsFromTheBoard)
{
    EXPECT_EQ(configRead(0x80000000), 0x25308086u) << "Intel 850 host bridge at 0:0.0";
    uint8_t out[8] = {};
    ASSERT_EQ(send(msrReadRequest(0x2C), out), 0u);
    EXPECT_EQ(getLe32(out) >> 24 & 0x1F, 18u) << "Northwood multiplier";

    // The ICH2 SMBus block, found the same way the driver found it.
    const uint32_t base = configRead(0x8000FB20) & 0xFFF0;  // 0:31.3 offset 0x20
    ASSERT_NE(base, 0u);
    std::fill(out, out + 8, 0xAA);
    ASSERT_EQ(send(portReadRequest(false, base), out), 0u);
    EXPECT_EQ(out[0] & 0x01, 0) << "host not busy";
}

// The program always sends a byte zero-extended; another client may not.
DriverRequest wideByteWrite(uint32_t port, uint32_t value)
{
    DriverRequest request{kIoctlWritePortByte, {}, 8};
    putLe32(request.input, port);
    putLe32(request.input + 4, value);
    return request;
}

TEST_F(DriverService, RefusesEverythingElseWithoutTouchingTheBoard)
{
    uint8_t out[8] = {};
    send(portReadRequest(true, 0xCF8), out);  // let the load-time scan settle into the log
    const size_t before = portCycles();
    struct Refusal {
        const char* what;
        DriverRequest request;
        DWORD outputLength, inputLength, error;
    } refusals[] = {
        {"code not in the table", DriverRequest{driverControlCode(0x903), {}, 4}, 8, 4, ERROR_INVALID_FUNCTION},
        {"reset control 0xCF9", portWriteRequest(false, 0xCF9, 0x06), 8, 8, ERROR_ACCESS_DENIED},
        {"configuration write", portWriteRequest(true, 0xCFC, 0), 8, 8, ERROR_ACCESS_DENIED},
        {"byte value above 255", wideByteWrite(0xCFA, 0x100), 8, 8, ERROR_INVALID_PARAMETER},
        {"port above 0xFFFF", portReadRequest(false, 0x10CF8), 8, 4, ERROR_ACCESS_DENIED},
        {"POST port 0x80", portReadRequest(false, 0x80), 8, 4, ERROR_ACCESS_DENIED},
        {"MSR 0x1B", msrReadRequest(0x1B), 8, 4, ERROR_ACCESS_DENIED},
        {"short input", portReadRequest(true, 0xCFC), 8, 3, ERROR_INVALID_PARAMETER},
        {"no input", portReadRequest(true, 0xCFC), 8, 0, ERROR_INVALID_PARAMETER},
        {"short output", portReadRequest(true, 0xCFC), 4, 4, ERROR_INSUFFICIENT_BUFFER},
    };
    for (const Refusal& r : refusals) EXPECT_EQ(send(r.request, out, r.outputLength, r.inputLength), r.error) << r.what;
    EXPECT_EQ(portCycles(), before) << "a refused request reached the board";
}


// This thread's information block (its first part, NT_TIB, heads the
// exception frame chain that i386 code links into), asked of ntdll.
const NT_TIB* currentTib()
{
    struct BasicInformation {
        LONG exitStatus;
        void* teb;
        void* ids[2];
        ULONG_PTR affinity;
        LONG priorities[2];
    } info{};
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    if (query == nullptr || query(GetCurrentThread(), 0, &info, sizeof info, nullptr) != 0) return nullptr;
    return static_cast<const NT_TIB*>(info.teb);
}

// The guard itself, in this process: in user mode RDMSR always faults.
TEST(FaultGuard, AFaultingInstructionFailsAndLeavesItsOutputs)
{
    const NT_TIB* tib = currentTib();
    ASSERT_NE(tib, nullptr);
    void* const chain = tib->ExceptionList;
    uint32_t low = 1, high = 2;
    EXPECT_EQ(guardedReadMsr(0x2C, &low, &high), 0);
    EXPECT_EQ(low, 1u);
    EXPECT_EQ(high, 2u);
    EXPECT_EQ(tib->ExceptionList, chain) << "the guard's frame is still linked";
}

// Loading scanned bus 0 for the SMBus host with faulting reads; each request
// for a port fails the same way, and the host still answers the next. The
// multiplier MSR faults where the processor says it is a Pentium 4 (the
// 32-bit guest's), and is refused before RDMSR on any other.
TEST_F(RealDriver, ARequestWhoseInstructionFaultsFailsAndTheDriverStaysUp)
{
    uint8_t out[8];
    for (int request = 0; request < 3; ++request) {
        std::fill(out, out + 8, 0xAA);
        EXPECT_EQ(send(portReadRequest(true, 0xCF8), out), static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << request;
        EXPECT_EQ(send(portWriteRequest(false, 0xCFA, 0), out), static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << request;
        EXPECT_EQ(send(msrReadRequest(0x2C), out), static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << request;
    }
    SC_HANDLE service = OpenServiceA(manager, QZ8_SERVICE_NAME, SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr);
    SERVICE_STATUS status{};
    EXPECT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    CloseServiceHandle(service);
}

}  // namespace

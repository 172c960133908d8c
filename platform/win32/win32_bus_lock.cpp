#include "platform/win32/win32_bus_lock.h"

namespace {
// Global\ reaches every session of Windows 2000 and later (Terminal
// Services, fast user switching); NT 4.0 and 98 know no such prefix, and
// there the plain name is machine-wide.
constexpr char kGlobalName[] = "Global\\QZ8-II FSB SMBus";
constexpr char kPlainName[] = "QZ8-II FSB SMBus";
// What waiting on the mutex and letting it go again take; less than the
// full access CreateMutexA asks for.
constexpr DWORD kOwnerAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

bool knowsGlobalNames()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) == FALSE) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

HANDLE createMutex(const char* name) { return CreateMutexA(nullptr, FALSE, name); }
HANDLE openMutex(DWORD access, const char* name) { return OpenMutexA(access, FALSE, name); }
}  // namespace

MutexCalls systemMutexCalls() { return MutexCalls{createMutex, openMutex, knowsGlobalNames()}; }

HANDLE openBusMutex(const MutexCalls& calls)
{
    if (!calls.globalNames) return calls.create(kPlainName);
    const HANDLE mutex = calls.create(kGlobalName);
    if (mutex != nullptr) return mutex;
    // Made by a copy of another user (batch mode from a service, another
    // session): its security may grant less than full access. No fallback
    // to the plain name: it would not exclude that copy.
    return GetLastError() == ERROR_ACCESS_DENIED ? calls.open(kOwnerAccess, kGlobalName) : nullptr;
}

Win32BusLock::~Win32BusLock()
{
    release();
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool Win32BusLock::acquire(uint32_t timeoutMs)
{
    if (mutex_ == nullptr) mutex_ = openBusMutex(systemMutexCalls());
    // Without the mutex the bus cannot be shared safely: refuse.
    if (mutex_ == nullptr) return false;
    // A copy that died holding it leaves it abandoned: it is ours now, and
    // the transactions' flag clears handle a controller left mid-transfer.
    const DWORD waited = WaitForSingleObject(mutex_, timeoutMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return held_;
}

void Win32BusLock::release()
{
    if (!held_) return;
    held_ = false;
    ReleaseMutex(mutex_);
}

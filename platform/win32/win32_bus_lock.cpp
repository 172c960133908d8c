#include "platform/win32/win32_bus_lock.h"

namespace {
// Global\ reaches every session of Windows 2000 and later (Terminal
// Services, fast user switching); NT 4.0 and 98 know no such prefix and
// refuse the name, so they get the plain one, which is machine-wide there.
constexpr char kGlobalName[] = "Global\\QZ8-II FSB SMBus";
constexpr char kPlainName[] = "QZ8-II FSB SMBus";
}  // namespace

bool Win32BusLock::acquire(uint32_t timeoutMs)
{
    if (mutex_ == nullptr) mutex_ = CreateMutexA(nullptr, FALSE, kGlobalName);
    if (mutex_ == nullptr) mutex_ = CreateMutexA(nullptr, FALSE, kPlainName);
    // Without a mutex at all the bus cannot be shared safely: refuse.
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

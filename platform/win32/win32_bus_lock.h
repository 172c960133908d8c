// The SMBus's one owner among the programs of the machine: a named mutex.
#pragma once

#include <windows.h>

#include "platform/platform.h"

// The calls that make or open the mutex by name. Tests replace them: Wine
// gives every process full access to every named object, so the refusal a
// copy of another user meets on Windows cannot be staged there.
struct MutexCalls {
    HANDLE (*create)(const char* name);             // null, with GetLastError, on failure
    HANDLE (*open)(DWORD access, const char* name);
    bool globalNames;  // the system knows Global\ (the NT line from 2000 on)
};
MutexCalls systemMutexCalls();

// The bus mutex: under Global\ where the system knows it, with only the
// access to wait and release when a mutex of another user's grants no more;
// under the plain name only where Global\ is unknown. Null when none.
HANDLE openBusMutex(const MutexCalls& calls);

class Win32BusLock final : public BusLock {
public:
    Win32BusLock() = default;
    Win32BusLock(const Win32BusLock&) = delete;
    Win32BusLock& operator=(const Win32BusLock&) = delete;
    ~Win32BusLock();

    bool acquire(uint32_t timeoutMs) override;
    void release() override;

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

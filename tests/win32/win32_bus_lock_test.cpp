// Which mutex the SMBus owner takes, with the system's calls replaced: Wine
// gives every process full access to every named object, so a mutex of
// another user that grants less cannot be staged under it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_bus_lock.h"

namespace {

std::vector<std::string> calls;
DWORD createError = 0;
HANDLE const kHandle = reinterpret_cast<HANDLE>(0x1234);

HANDLE fakeCreate(const char* name)
{
    calls.push_back(std::string("create ") + name);
    SetLastError(createError);
    return createError == 0 ? kHandle : nullptr;
}

HANDLE fakeOpen(DWORD access, const char* name)
{
    calls.push_back("open " + std::to_string(access) + " " + name);
    return kHandle;
}

TEST(BusMutex, GlobalWhereKnownWaitOnlyWhereFullAccessIsRefusedNeverThePlainNameThere)
{
    const std::string global = "Global\\QZ8-II FSB SMBus";
    const std::string waitAndRelease = std::to_string(SYNCHRONIZE | MUTEX_MODIFY_STATE);
    struct Case {
        bool globalNames;
        DWORD createError;
        bool opened;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {true, 0, true, {"create " + global}},
        {true, ERROR_ACCESS_DENIED, true, {"create " + global, "open " + waitAndRelease + " " + global}},
        {true, ERROR_INVALID_HANDLE, false, {"create " + global}},
        {false, 0, true, {"create QZ8-II FSB SMBus"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls.back());
        calls.clear();
        createError = c.createError;
        EXPECT_EQ(openBusMutex(MutexCalls{fakeCreate, fakeOpen, c.globalNames}) != nullptr, c.opened);
        EXPECT_EQ(calls, c.calls);
    }
}

}  // namespace

// The SMBus's one owner among the programs of the machine: a named mutex.
#pragma once

#include <windows.h>

#include "platform/platform.h"

class Win32BusLock final : public BusLock {
public:
    bool acquire(uint32_t timeoutMs) override;
    void release() override;

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

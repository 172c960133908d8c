#include "platform/win32/win32_timing.h"

#include <windows.h>
#include <mmsystem.h>

int64_t Win32Timing::perfFrequency()
{
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

int64_t Win32Timing::perfCounter()
{
    LARGE_INTEGER counter;
    counter.QuadPart = 0;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

SavedPriority Win32Timing::raisePriority()
{
    HANDLE process = GetCurrentProcess();
    HANDLE thread = GetCurrentThread();
    const SavedPriority saved{static_cast<int32_t>(GetPriorityClass(process)), GetThreadPriority(thread)};
    SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    return saved;
}

void Win32Timing::restorePriority(const SavedPriority& saved)
{
    SetThreadPriority(GetCurrentThread(), saved.threadPriority);
    SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(saved.processClass));
}

void Win32Timing::sleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

void Win32Timing::beginPreciseSleeps() { timeBeginPeriod(1); }

void Win32Timing::endPreciseSleeps() { timeEndPeriod(1); }

// qz8fsb: the application on the real machine: the driver channel, the
// processor's own CPUID and time-stamp counter, Windows time and message
// boxes.
#include "app/app_platform.h"

#include "platform/platform.h"
#include "platform/win32/win32_bus_lock.h"
#include "platform/win32/win32_channel.h"
#include "platform/win32/win32_notifier.h"
#include "platform/win32/win32_timing.h"
#include "platform/x86/x86_processor.h"

namespace {
Win32Channel channel;
X86Processor processor;
Win32Timing timing;
Win32Notifier notifier;
Win32BusLock busLock;
}  // namespace

int32_t installAppPlatform()
{
    installPlatform(Platform{&channel, &processor, &timing, &notifier, &busLock});
    return 0;
}

void releaseAppPlatform() {}

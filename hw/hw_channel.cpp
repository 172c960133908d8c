#include "hw/hw_channel.h"

#include "platform/platform.h"

int32_t driverLoaded = 0;

namespace {

// A burst of hardware work runs from openDevice to closeDevice: the bus is
// this process's and sleeps are precise for that long, and no port is
// touched outside one.
bool inBurst = false;
bool refusedForBus = false;
constexpr uint32_t kBusWaitMs = 2000;

bool beginBurst()
{
    if (inBurst) return true;
    const Platform& platform = currentPlatform();
    if (platform.busLock != nullptr && !platform.busLock->acquire(kBusWaitMs)) {
        refusedForBus = true;
        showMessage("Another copy of the program is using the SMBus.", "SMBus Error", kIconWarning);
        return false;
    }
    if (platform.timing != nullptr) platform.timing->beginPreciseSleeps();
    holdMessages();
    inBurst = true;
    return true;
}

// The boxes raised during the burst come now, with the bus and the timer
// given back.
void endBurst()
{
    if (!inBurst) return;
    inBurst = false;
    const Platform& platform = currentPlatform();
    if (platform.timing != nullptr) platform.timing->endPreciseSleeps();
    if (platform.busLock != nullptr) platform.busLock->release();
    releaseMessages();
}

int32_t openChannel()
{
    ChannelBackend& channel = platformChannel();
    if (channel.openDevice() != 0) return 1;
    if (!channel.reloadOnOpenFailure()) return 0;
    // The service may have been stopped from outside: install it once more.
    driverLoaded = channel.loadDriver();
    if (driverLoaded == 0) return 0;
    return channel.openDevice();
}

}  // namespace

int32_t loadDriver() { return platformChannel().loadDriver(); }

void unloadDriver() { platformChannel().unloadDriver(); }

int32_t openDevice()
{
    refusedForBus = false;
    if (driverLoaded == 0) return 0;
    if (!beginBurst()) return 0;
    if (openChannel() != 0) return 1;
    endBurst();
    return 0;
}

bool openRefusedForBus() { return refusedForBus; }

void closeDevice()
{
    platformChannel().closeDevice();
    endBurst();
}

int32_t readPortByte(uint32_t port, uint8_t& value)
{
    value = 0;
    uint8_t read = 0;
    if (!inBurst || platformChannel().inByte(port, read) == 0) return 0;
    value = read;
    return 1;
}

int32_t readPortDword(uint32_t port, uint32_t& value)
{
    value = 0;
    uint32_t read = 0;
    if (!inBurst || platformChannel().inDword(port, read) == 0) return 0;
    value = read;
    return 1;
}

int32_t writePortByte(uint32_t port, uint8_t value) { return inBurst ? platformChannel().outByte(port, value) : 0; }

int32_t writePortDword(uint32_t port, uint32_t value)
{
    return inBurst ? platformChannel().outDword(port, value) : 0;
}

bool osConfigAccess() { return platformChannel().osConfigSpace(); }

uint32_t readOsConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset)
{
    return inBurst ? platformChannel().readConfigDword(bus, device, function, offset) : 0xFFFFFFFF;
}

int32_t checkPortByte(uint32_t port, uint8_t expected)
{
    uint8_t value = 0;
    return readPortByte(port, value) != 0 && value == expected ? 1 : 0;
}

int32_t checkPortDword(uint32_t port, uint32_t expected)
{
    uint32_t value = 0;
    return readPortDword(port, value) != 0 && value == expected ? 1 : 0;
}

int32_t readMsr(uint32_t index, uint32_t& high, uint32_t& low)
{
    if (driverLoaded == 0) return 0;
    uint32_t readLow = 0;
    uint32_t readHigh = 0;
    if (platformChannel().readMsr(index, readLow, readHigh) == 0) {
        showMessage("Device does not support the requested API", "error", kIconError);
        return 0;
    }
    high = readHigh;
    low = readLow;
    return 1;
}

void resetHwChannel()
{
    endBurst();
    driverLoaded = 0;
    refusedForBus = false;
}

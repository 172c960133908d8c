// The platform seam: everything the logic needs from the machine it runs on.
// One Platform is installed at start-up; the logic folders call through it and
// never ask which back end is behind it.
#pragma once

#include <cstdint>

// Message box icons, with the values the Win32 API gives them.
enum : uint32_t {
    kIconError = 0x10,
    kIconWarning = 0x30,
};

// Access path of the hardware channel. The channel contracts (zeroed reads,
// driverLoaded gating, readMsr's message) live in hw/hw_channel; a back end
// only reaches the hardware.
class ChannelBackend {
public:
    // Registers and starts the driver (or probes the VxD). May show its own
    // failure box through the platform's notifier. 1 = ready.
    virtual int32_t loadDriver() = 0;
    // Stops and removes the driver; a second call does nothing.
    virtual void unloadDriver() = 0;
    // One attempt to open the device. 1 = open.
    virtual int32_t openDevice() = 0;
    // True when a failed open should load the driver again and retry once
    // (the service may have been stopped from outside).
    virtual bool reloadOnOpenFailure() const = 0;
    virtual void closeDevice() = 0;
    virtual int32_t inByte(uint32_t port, uint8_t& value) = 0;
    virtual int32_t inDword(uint32_t port, uint32_t& value) = 0;
    virtual int32_t outByte(uint32_t port, uint8_t value) = 0;
    virtual int32_t outDword(uint32_t port, uint32_t value) = 0;
    // Reads a model-specific register; no message on failure.
    virtual int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) = 0;
    // True where the operating system serves PCI configuration space itself
    // (and takes the lock its own accesses take): configuration reads then
    // come from readConfigDword and never from ports 0xCF8/0xCFC.
    virtual bool osConfigSpace() const { return false; }
    // The dword at a dword-aligned offset; all ones for an absent function.
    virtual uint32_t readConfigDword(uint32_t /*bus*/, uint32_t /*device*/, uint32_t /*function*/,
                                     uint32_t /*offset*/)
    {
        return 0xFFFFFFFF;
    }

protected:
    ~ChannelBackend() = default;
};

struct CpuidRegs {
    uint32_t eax, ebx, ecx, edx;
};

// The processor the program runs on: CPUID and the time-stamp counter.
class Processor {
public:
    virtual CpuidRegs cpuid(uint32_t leaf) = 0;
    virtual uint64_t readTsc() = 0;

protected:
    ~Processor() = default;
};

// Saved process and thread priorities, opaque to the logic.
struct SavedPriority {
    int32_t processClass;
    int32_t threadPriority;
};

// Time: the high-resolution performance counter, priorities and sleeping.
class Timing {
public:
    // Counts per second; 0 when there is no performance counter.
    virtual int64_t perfFrequency() = 0;
    virtual int64_t perfCounter() = 0;
    // Raises the process to real-time and the thread to time-critical
    // priority where the platform allows it.
    virtual SavedPriority raisePriority() = 0;
    // Restores the thread's priority first, then the process's class.
    virtual void restorePriority(const SavedPriority& saved) = 0;
    virtual void sleepMs(uint32_t milliseconds) = 0;
    // From begin to the matching end, sleeps last their own length: on
    // Windows a sleep otherwise ends at a system tick, often 10 or 15.625 ms
    // apart, which would stretch every 1 ms poll of the SMBus to a tick.
    virtual void beginPreciseSleeps() = 0;
    virtual void endPreciseSleeps() = 0;

protected:
    ~Timing() = default;
};

// Modal message boxes with no owner window and an OK button.
class Notifier {
public:
    virtual void showMessage(const char* text, const char* caption, uint32_t icon) = 0;

protected:
    ~Notifier() = default;
};

// The SMBus has one owner at a time among all programs of the machine: two
// copies of the tool must never interleave their transactions.
class BusLock {
public:
    // True when this process owns the bus; waits at most `timeoutMs`.
    virtual bool acquire(uint32_t timeoutMs) = 0;
    virtual void release() = 0;

protected:
    ~BusLock() = default;
};

// How one SMBus transaction ended.
enum class SmbusOutcome : uint8_t { Done, DeviceError, Failed };  // Failed also: a wait gave up

// The SMBus transactions the clock logic asks for, served by one path to the
// bus: the host controller's ports through the channel (the default), or a
// kernel driver that owns the host. Address bytes carry the read/write bit.
// The outputs hold what the host's data registers gave, or 0.
class SmbusBackend {
public:
    virtual SmbusOutcome readWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second) = 0;
    virtual SmbusOutcome writeWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second) = 0;
    // Into a buffer of 32 bytes; `reported` gets the count byte the device
    // sent (0 until it came). Done means the whole block moved.
    virtual SmbusOutcome readBlock(uint8_t address, uint8_t command, uint8_t* buffer, uint8_t& reported) = 0;
    // A count below 1 moves nothing.
    virtual SmbusOutcome writeBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count) = 0;

protected:
    ~SmbusBackend() = default;
};

struct Platform {
    ChannelBackend* channel;
    Processor* processor;
    Timing* timing;
    Notifier* notifier;
    BusLock* busLock = nullptr;  // none: the only program on this bus
    SmbusBackend* smbus = nullptr;  // none: the host controller's ports
};

// Installs the platform that every later call goes through.
void installPlatform(const Platform& platform);
const Platform& currentPlatform();

// Shorthands for the logic folders.
inline ChannelBackend& platformChannel() { return *currentPlatform().channel; }
inline Processor& platformProcessor() { return *currentPlatform().processor; }
inline Timing& platformTiming() { return *currentPlatform().timing; }
// Through the installed notifier at once, or, while messages are held, when
// they are let go.
void showMessage(const char* text, const char* caption, uint32_t icon);
// From hold to release, messages wait: a box shown in the middle of a burst
// of hardware work would keep the SMBus and the 1 ms timer for as long as the
// user takes to read it, and its message loop would let the window start
// another burst inside this one.
void holdMessages();
void releaseMessages();

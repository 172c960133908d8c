// The four host transactions on the controller's own ports: word data and
// byte-by-byte block transfers, each polled 1 ms at a time and given up
// after a bound.
#include "clock/smbus_host_ports.h"

#include "clock/smbus.h"
#include "hw/hw_channel.h"

namespace {

// Status bits; the controller clears each one written back as 1.
constexpr uint8_t kBusy = 0x01;
constexpr uint8_t kInterrupt = 0x02;
constexpr uint8_t kErrors = 0x1C;  // device error, bus error, failed
constexpr uint8_t kDeviceError = 0x04;
constexpr uint8_t kByteDone = 0x80;

// Flag-clear masks: before and after word transfers, before block pass 1,
// before the wait of later passes, after each block byte.
constexpr uint8_t kWordFlags = 0x1F;
constexpr uint8_t kFirstPassFlags = 0x9F;
constexpr uint8_t kLaterPassFlags = 0x1E;
constexpr uint8_t kPassEndFlags = 0x9E;

// Host control values.
constexpr uint8_t kWordData = 0x0C;
constexpr uint8_t kBlock = 0x14;
constexpr uint8_t kBlockLastByte = 0x34;
constexpr uint8_t kStart = 0x40;

constexpr int32_t kMaxBlock = 32;
// A few hundred 1 ms polls: far beyond any transfer at 10 kHz, short
// enough that a dead controller does not hang the window.
constexpr uint32_t kWaitPolls = 500;

// The error flags the status register showed since the running transaction
// started.
uint8_t errorsSeen = 0;

uint8_t in(uint32_t port)
{
    uint8_t value = 0;
    readPortByte(port, value);
    if (port == smbusPorts.statusPort) errorsSeen = static_cast<uint8_t>(errorsSeen | (value & kErrors));
    return value;
}

// A data register whose read failed holds nothing the device sent: the
// transaction has not delivered its bytes.
bool inData(uint32_t port, uint8_t& value) { return readPortByte(port, value) != 0; }

void out(uint32_t port, uint8_t value) { writePortByte(port, value); }

// Writes back the whole status byte when any bit under `mask` is set, and
// returns it.
uint8_t clearFlags(uint8_t mask)
{
    const uint8_t status = in(smbusPorts.statusPort);
    if ((status & mask) == 0) return status;
    out(smbusPorts.statusPort, status);
    in(smbusPorts.statusPort);
    return status;
}

void start()
{
    errorsSeen = 0;
    const uint8_t control = in(smbusPorts.controlPort);
    out(smbusPorts.controlPort, static_cast<uint8_t>(control | kStart));
}

// The controller has let go of the bus and said how the transfer ended.
bool ended(uint8_t status) { return (status & kBusy) == 0 && (status & (kInterrupt | kErrors)) != 0; }

// ByteDone: the next byte of a block has moved. Idle: the transaction has
// ended. LastByte: either; a controller that took the last-byte bit too late
// for the byte on the wire, or one that always waits for byte done to be
// cleared after the last byte, holds the bus with byte done set.
enum class Await : uint8_t { ByteDone, Idle, LastByte };

// Polls the status register 1 ms apart. True once the awaited state shows;
// false when the bound runs out, or when the controller ended the transfer
// with an error while a byte was awaited. `status` keeps the last value read.
bool await(Await what, uint8_t& status)
{
    for (uint32_t poll = 0; poll < kWaitPolls; ++poll) {
        status = in(smbusPorts.statusPort);
        platformTiming().sleepMs(1);
        const bool idle = (status & kBusy) == 0;
        const bool byteDone = (status & kByteDone) != 0;
        if (what == Await::Idle && idle) return true;
        if (what == Await::LastByte && (idle || byteDone)) return true;
        if (what == Await::ByteDone && byteDone) return true;
        // Ended without the byte (a device count of 0 ends so on some
        // controllers), or with an error: waiting on would only run out.
        if (what == Await::ByteDone && ended(status)) return (status & kErrors) == 0;
    }
    return false;
}

// A transfer that ended by itself sets interrupt and no error flag; a
// status that reads 0 (a failed port read) is no completion.
bool completed(uint8_t status) { return (status & (kInterrupt | kErrors)) == kInterrupt; }

enum class WordEnd : uint8_t { GaveUp, Failed, Done };

// Protocol, flag clear, start, busy wait, flag clear. A wait that gives up
// ends the transaction at once.
WordEnd runWordTransfer()
{
    in(smbusPorts.controlPort);
    out(smbusPorts.controlPort, kWordData);
    clearFlags(kWordFlags);
    start();
    uint8_t status = 0;
    if (!await(Await::Idle, status)) return WordEnd::GaveUp;
    clearFlags(kWordFlags);
    return completed(status) ? WordEnd::Done : WordEnd::Failed;
}

// Block pass i (1-based) of `count`: flag clear, start on pass 1, wait for
// byte done, or for the end of the transfer on the last pass.
bool awaitBlockPass(int32_t i, int32_t count, uint8_t& status)
{
    const uint8_t before = clearFlags(i == 1 ? kFirstPassFlags : kLaterPassFlags);
    if (i == 1) start();
    // Over a slow channel a write's last byte can be through before its pass
    // begins; the flag clear has then just taken the end of this transfer.
    if (i > 1 && i >= count && ended(before)) {
        status = before;
        return true;
    }
    return await(i < count ? Await::ByteDone : Await::LastByte, status);
}

// Clears byte done (releasing the next byte) and whatever else is set.
void endBlockPass(uint8_t status)
{
    if ((status & kPassEndFlags) != 0) out(smbusPorts.statusPort, status);
    in(smbusPorts.statusPort);
}

// After the last pass: a controller still holding the bus ends the
// transaction once byte done is cleared (endBlockPass did that). True when
// the transaction completed.
bool finishBlock(uint8_t& status)
{
    if ((status & kBusy) != 0) {
        if (!await(Await::Idle, status)) return false;
        endBlockPass(status);
    }
    return completed(status);
}

// How a transaction that did not complete ended: the device error flag
// tells a missing or refusing device from a controller that gave up.
SmbusOutcome outcome(bool done)
{
    if (done) return SmbusOutcome::Done;
    return (errorsSeen & kDeviceError) != 0 ? SmbusOutcome::DeviceError : SmbusOutcome::Failed;
}

int32_t readWordTransaction(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second)
{
    first = 0;
    second = 0;
    out(smbusPorts.addressPort, address);
    out(smbusPorts.commandPort, command);
    const WordEnd end = runWordTransfer();
    if (end == WordEnd::GaveUp) return 0;
    const bool delivered = inData(smbusPorts.data0Port, first) && inData(smbusPorts.data1Port, second);
    return end == WordEnd::Done && delivered ? 1 : 0;
}

int32_t writeWordTransaction(uint8_t address, uint8_t command, uint8_t first, uint8_t second)
{
    out(smbusPorts.addressPort, address);
    out(smbusPorts.commandPort, command);
    out(smbusPorts.data0Port, first);
    out(smbusPorts.data1Port, second);
    return runWordTransfer() == WordEnd::Done ? 1 : 0;
}

// `reported`: the count byte the device sent (0 until it came).
int32_t readBlockTransaction(uint8_t address, uint8_t command, uint8_t* buffer, uint8_t& reported)
{
    reported = 0;
    int32_t count = kMaxBlock;
    out(smbusPorts.addressPort, address);
    out(smbusPorts.commandPort, command);
    for (int32_t i = 1; i <= count; ++i) {
        // Last byte is set just after byte done of the next-to-last byte
        // was cleared; the controller samples it when that byte completes.
        // A slow channel can miss that moment: the controller then reads one
        // byte more, which the last pass lets through.
        out(smbusPorts.controlPort, i == count ? kBlockLastByte : kBlock);
        const bool awaitsEnd = i >= count;
        uint8_t status = 0;
        if (!awaitBlockPass(i, count, status)) return 0;
        if (i == 1) {
            if (!inData(smbusPorts.data0Port, reported)) return 0;
            count = reported > kMaxBlock ? kMaxBlock : reported;
        }
        if (!inData(smbusPorts.blockDataPort, buffer[i - 1])) return 0;
        endBlockPass(status);
        if (awaitsEnd && !finishBlock(status)) return 0;
        // Ended before the count's last byte: the block is incomplete.
        if (!awaitsEnd && i < count && ended(status)) return 0;
    }
    return count;
}

int32_t writeBlockTransaction(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count)
{
    out(smbusPorts.addressPort, address);
    out(smbusPorts.commandPort, command);
    out(smbusPorts.data0Port, static_cast<uint8_t>(count));
    if (count < 1) return count;
    out(smbusPorts.blockDataPort, buffer[0]);
    uint8_t status = 0;
    for (int32_t i = 1; i <= count; ++i) {
        out(smbusPorts.controlPort, kBlock);
        if (!awaitBlockPass(i, count, status)) return 0;
        if (i < count) {
            // Ended before the count's last byte: the block is incomplete.
            if (ended(status)) {
                endBlockPass(status);
                return 0;
            }
            out(smbusPorts.blockDataPort, buffer[i]);
        }
        endBlockPass(status);
    }
    return finishBlock(status) ? count : 0;
}

// The transactions above as the default path of the seam.
class HostPortSmbus final : public SmbusBackend {
public:
    SmbusOutcome readWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second) override
    {
        return outcome(readWordTransaction(address, command, first, second) != 0);
    }
    SmbusOutcome writeWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second) override
    {
        return outcome(writeWordTransaction(address, command, first, second) != 0);
    }
    SmbusOutcome readBlock(uint8_t address, uint8_t command, uint8_t* buffer, uint8_t& reported) override
    {
        return outcome(readBlockTransaction(address, command, buffer, reported) > 0);
    }
    SmbusOutcome writeBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count) override
    {
        // A count below 1 still sets the address, command and count registers.
        const int32_t sent = writeBlockTransaction(address, command, buffer, count);
        return outcome(count > 0 && sent == count);
    }
};

}  // namespace

SmbusBackend& hostPortSmbus()
{
    static HostPortSmbus ports;
    return ports;
}

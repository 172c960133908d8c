// The ICH2 SMBus host controller: eight byte registers at its I/O base,
// transactions that take bus time, block transfers byte by byte.
#pragma once

#include <cstdint>

#include "sim/clock_chip.h"

namespace sim {

// Host status bits. Software clears each by writing 1 to it.
enum : uint8_t {
    kSmbBusy = 0x01,
    kSmbInterrupt = 0x02,
    kSmbDeviceError = 0x04,
    kSmbBusError = 0x08,
    kSmbFailed = 0x10,
    kSmbAlert = 0x20,
    kSmbInUse = 0x40,
    kSmbByteDone = 0x80,
};

// Host control: protocol field (bits 4..2, pre-shifted), last byte, start, kill.
enum : uint8_t {
    kSmbKill = 0x02,
    kSmbProtocolMask = 0x1C,
    kSmbWordData = 0x0C,
    kSmbBlock = 0x14,
    kSmbLastByte = 0x20,
    kSmbStart = 0x40,
};

enum class SmbusResult : uint8_t { Done, DeviceError, Failed };

// One finished transaction as the wire saw it.
struct SmbusTransaction {
    static constexpr uint32_t kDataCapacity = 48;
    uint8_t address;   // address byte with the read/write bit
    uint8_t command;
    uint8_t protocol;  // control bits 4..2 as written
    uint8_t count;     // bytes after the command; a block's count byte comes first
    uint8_t data[kDataCapacity];
    SmbusResult result;
};

class SmbusObserver {
public:
    virtual void onSmbusTransaction(const SmbusTransaction& transaction) = 0;

protected:
    ~SmbusObserver() = default;
};

struct SmbusHostBehaviour {
    // The end of a byte-by-byte block transfer. QZ8-II's ICH2 stops after the
    // last byte by itself (busy drops, interrupt and byte done set). Later
    // controllers set byte done and hold busy until software clears it.
    bool holdsBusyAfterLastByte = false;
    bool stuckBusy = false;         // busy reads 1 forever; nothing starts
    bool byteDoneNeverSet = false;  // holds after each block byte, flag never shows
    // A block read whose device reports a count of 0 ends after the count
    // byte with interrupt alone, no byte done (a PIIX4 was seen doing so).
    bool endsEmptyBlockRead = false;
    // The transactions with these numbers (1 = the first started) end with
    // the failed flag instead of completing, as a collision or another
    // owner's kill would end them; 0 = none.
    static constexpr uint32_t kFailedCapacity = 4;
    uint32_t failedTransactions[kFailedCapacity] = {};
    bool failedWithInterrupt = false;  // that transaction shows interrupt beside failed
    // Every block transfer ends after its first data byte, before its count.
    bool endsBlockEarly = false;
    uint32_t busKhz = 100;
};

class SmbusHost {
public:
    static constexpr uint32_t kPortCount = 16;
    static constexpr uint32_t kDeviceCapacity = 4;

    void reset(const SmbusHostBehaviour& behaviour);
    // False when the bus has no room left. The board's only slaves are clock
    // chips; a board model has no virtual dispatch to hand (no RTTI).
    bool attach(ClockChip* device);
    void setObserver(SmbusObserver* observer) { observer_ = observer; }

    // Register cycles at `offset` from the base, at virtual time `nowNs`.
    uint8_t read(uint32_t offset, uint64_t nowNs);
    void write(uint32_t offset, uint8_t value, uint64_t nowNs);
    // Runs the wire up to `nowNs`.
    void settle(uint64_t nowNs);

    bool busy() const { return phase_ != Phase::Idle || behaviour_.stuckBusy; }

private:
    enum class Phase : uint8_t {
        Idle,
        Addressing,  // nobody acknowledged: device error at the address byte's end
        Word,
        BlockByte,   // a block byte is on the wire
        BlockHeld,   // byte done raised; the bus is held until software clears it
        LastHeld,    // the same after the last byte (stricter controllers)
        Stopping,    // stop condition after the held last byte
    };

    uint64_t bits(uint32_t count) const;
    void start(uint64_t nowNs);
    void writeStatus(uint8_t value, uint64_t nowNs);
    void onEvent();
    void blockByteDone();
    void endOfBlock();
    void complete();
    void refused();
    bool failsThisTransaction() const;
    void failed();
    void finish(SmbusResult result);
    void record(uint8_t byte);
    ClockChip* deviceAt(uint8_t address7) const;

    SmbusHostBehaviour behaviour_{};
    ClockChip* devices_[kDeviceCapacity] = {};
    uint32_t deviceCount_ = 0;
    SmbusObserver* observer_ = nullptr;

    uint8_t status_ = 0;  // flags other than busy and in use
    bool inUse_ = false;
    uint8_t control_ = 0;
    uint8_t command_ = 0;
    uint8_t address_ = 0;
    uint8_t data0_ = 0;
    uint8_t data1_ = 0;
    uint8_t blockData_ = 0;

    Phase phase_ = Phase::Idle;
    uint64_t eventNs_ = 0;      // when the wire activity of the phase ends
    ClockChip* target_ = nullptr;
    bool reading_ = false;
    bool byteDonePending_ = false;  // the controller waits for byte done to be cleared
    uint32_t index_ = 0;            // block bytes moved so far
    uint32_t started_ = 0;          // transactions started since reset
    uint32_t total_ = 0;            // bytes of a block write (its count)
    uint8_t latched_ = 0;           // block write byte being shifted out
    uint8_t block_[256] = {};       // block write bytes, handed over at the stop
    SmbusTransaction trace_{};
};

}  // namespace sim

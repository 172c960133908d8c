#include "sim/smbus_host.h"

namespace sim {

namespace {
enum : uint32_t {
    kStatus = 0,
    kControl = 2,
    kCommand = 3,
    kAddress = 4,
    kData0 = 5,
    kData1 = 6,
    kBlockData = 7,
};

// Bits on the wire; a byte is eight bits and its acknowledge.
constexpr uint32_t kByteBits = 9;
constexpr uint32_t kUnansweredBits = 1 + kByteBits + 1;            // start, address, stop
constexpr uint32_t kWordWriteBits = 1 + 4 * kByteBits + 1;         // address, command, two data
constexpr uint32_t kWordReadBits = 1 + 2 * kByteBits + 1 + 3 * kByteBits + 1;  // repeated start
constexpr uint32_t kBlockWriteHeadBits = 1 + 3 * kByteBits;        // address, command, count
constexpr uint32_t kBlockReadHeadBits = 1 + 2 * kByteBits + 1 + 2 * kByteBits;  // ... address, count
constexpr uint8_t kErrorFlags = kSmbDeviceError | kSmbBusError | kSmbFailed;
}  // namespace

void SmbusHost::reset(const SmbusHostBehaviour& behaviour)
{
    behaviour_ = behaviour;
    if (behaviour_.busKhz == 0) behaviour_.busKhz = 100;
    deviceCount_ = 0;
    status_ = 0;
    inUse_ = false;
    control_ = command_ = address_ = data0_ = data1_ = blockData_ = 0;
    phase_ = Phase::Idle;
    eventNs_ = 0;
    target_ = nullptr;
    byteDonePending_ = false;
    index_ = total_ = 0;
    started_ = 0;
}

bool SmbusHost::attach(ClockChip* device)
{
    if (deviceCount_ == kDeviceCapacity) return false;
    devices_[deviceCount_++] = device;
    return true;
}

uint64_t SmbusHost::bits(uint32_t count) const { return uint64_t{count} * 1000000u / behaviour_.busKhz; }

ClockChip* SmbusHost::deviceAt(uint8_t address7) const
{
    for (uint32_t i = 0; i < deviceCount_; ++i)
        if (devices_[i]->smbusAddress() == address7) return devices_[i];
    return nullptr;
}

uint8_t SmbusHost::read(uint32_t offset, uint64_t nowNs)
{
    settle(nowNs);
    switch (offset) {
    case kStatus: {
        // The in-use semaphore: a read returns it and then takes it.
        const uint8_t value = static_cast<uint8_t>(status_ | (busy() ? kSmbBusy : 0) | (inUse_ ? kSmbInUse : 0));
        inUse_ = true;
        return value;
    }
    case kControl: return static_cast<uint8_t>(control_ & ~kSmbStart);
    case kCommand: return command_;
    case kAddress: return address_;
    case kData0: return data0_;
    case kData1: return data1_;
    case kBlockData: return blockData_;
    default: return 0;
    }
}

void SmbusHost::write(uint32_t offset, uint8_t value, uint64_t nowNs)
{
    settle(nowNs);
    switch (offset) {
    case kStatus: writeStatus(value, nowNs); break;
    case kControl:
        control_ = static_cast<uint8_t>(value & ~(kSmbStart | kSmbKill));
        if ((value & kSmbKill) != 0 && phase_ != Phase::Idle) {
            status_ |= kSmbFailed;
            finish(SmbusResult::Failed);
        }
        if ((value & kSmbStart) != 0) start(nowNs);
        break;
    case kCommand: command_ = value; break;
    case kAddress: address_ = value; break;
    case kData0: data0_ = value; break;
    case kData1: data1_ = value; break;
    case kBlockData: blockData_ = value; break;
    default: break;
    }
}

void SmbusHost::writeStatus(uint8_t value, uint64_t nowNs)
{
    if ((value & kSmbInUse) != 0) inUse_ = false;
    status_ = static_cast<uint8_t>(status_ & ~(value & ~(kSmbBusy | kSmbInUse)));
    if ((value & kSmbByteDone) == 0 || !byteDonePending_) return;
    // Clearing byte done releases the held bus.
    byteDonePending_ = false;
    if (phase_ == Phase::BlockHeld) {
        latched_ = blockData_;
        phase_ = Phase::BlockByte;
        eventNs_ = nowNs + bits(kByteBits);
    } else if (phase_ == Phase::LastHeld) {
        phase_ = Phase::Stopping;
        eventNs_ = nowNs + bits(1);
    }
}

void SmbusHost::start(uint64_t nowNs)
{
    if (busy()) return;
    // A controller with the previous owner's flags still set does not start.
    if ((status_ & (kErrorFlags | kSmbByteDone)) != 0) return;
    ++started_;
    trace_ = SmbusTransaction{};
    trace_.address = address_;
    trace_.command = command_;
    trace_.protocol = static_cast<uint8_t>(control_ & kSmbProtocolMask);
    reading_ = (address_ & 1) != 0;
    target_ = deviceAt(static_cast<uint8_t>(address_ >> 1));
    index_ = 0;
    const uint8_t protocol = trace_.protocol;
    if (target_ == nullptr || (protocol != kSmbWordData && protocol != kSmbBlock)) {
        // Nobody acknowledges the address (this model carries word and block only).
        phase_ = Phase::Addressing;
        eventNs_ = nowNs + bits(kUnansweredBits);
    } else if (protocol == kSmbWordData) {
        phase_ = Phase::Word;
        eventNs_ = nowNs + bits(reading_ ? kWordReadBits : kWordWriteBits);
    } else if (reading_) {
        phase_ = Phase::BlockByte;
        eventNs_ = nowNs + bits(kBlockReadHeadBits + kByteBits);
    } else {
        total_ = data0_;
        record(data0_);
        latched_ = blockData_;
        // A count of 0 sends no data byte: the stop follows the count.
        phase_ = total_ == 0 ? Phase::Stopping : Phase::BlockByte;
        eventNs_ = nowNs + bits(kBlockWriteHeadBits + (total_ == 0 ? 1 : kByteBits));
    }
}

void SmbusHost::settle(uint64_t nowNs)
{
    while ((phase_ == Phase::Addressing || phase_ == Phase::Word || phase_ == Phase::BlockByte ||
            phase_ == Phase::Stopping) &&
           eventNs_ <= nowNs)
        onEvent();
}

void SmbusHost::onEvent()
{
    switch (phase_) {
    case Phase::Addressing:
        status_ |= kSmbDeviceError;
        finish(SmbusResult::DeviceError);
        break;
    case Phase::Word:
        if (failsThisTransaction()) {
            failed();
            break;
        }
        if (reading_) {
            target_->readWord(command_, data0_, data1_);
        } else if (!target_->acknowledgesWrite(command_)) {
            refused();
            break;
        } else {
            target_->writeWord(command_, data0_, data1_);
        }
        record(data0_);
        record(data1_);
        status_ |= kSmbInterrupt;
        finish(SmbusResult::Done);
        break;
    case Phase::BlockByte: blockByteDone(); break;
    case Phase::Stopping: complete(); break;
    default: break;
    }
}

void SmbusHost::blockByteDone()
{
    bool last = false;
    if (reading_) {
        if (index_ == 0) {
            data0_ = target_->blockCount(command_);
            record(data0_);
            if (data0_ == 0 && behaviour_.endsEmptyBlockRead) {
                status_ |= kSmbInterrupt;
                finish(SmbusResult::Done);
                return;
            }
        }
        blockData_ = target_->blockByte(command_, index_);
        record(blockData_);
        ++index_;
        // Last byte is looked at when the byte completes, not when it starts.
        last = (control_ & kSmbLastByte) != 0 || behaviour_.endsBlockEarly;
    } else {
        if (!target_->acknowledgesWrite(command_ + index_)) {
            refused();
            return;
        }
        block_[index_] = latched_;
        record(latched_);
        ++index_;
        last = index_ >= total_ || behaviour_.endsBlockEarly;
    }
    if (last) {
        endOfBlock();
        return;
    }
    byteDonePending_ = true;
    if (!behaviour_.byteDoneNeverSet) status_ |= kSmbByteDone;
    phase_ = Phase::BlockHeld;
}

// The last byte's byte done shows at once; the stop condition that ends
// the transaction follows a bit time later.
void SmbusHost::endOfBlock()
{
    if (!behaviour_.byteDoneNeverSet) status_ |= kSmbByteDone;
    if (behaviour_.holdsBusyAfterLastByte) {
        byteDonePending_ = true;
        phase_ = Phase::LastHeld;
        return;
    }
    phase_ = Phase::Stopping;
    eventNs_ += bits(1);
}

// A not-acknowledged data byte ends the transfer with device error, and,
// as on messier controllers, with the interrupt flag standing beside it.
void SmbusHost::refused()
{
    status_ |= kSmbDeviceError | kSmbInterrupt;
    finish(SmbusResult::DeviceError);
}

bool SmbusHost::failsThisTransaction() const
{
    for (uint32_t n : behaviour_.failedTransactions)
        if (n != 0 && n == started_) return true;
    return false;
}

void SmbusHost::failed()
{
    status_ |= kSmbFailed;
    if (behaviour_.failedWithInterrupt) status_ |= kSmbInterrupt;
    finish(SmbusResult::Failed);
}

void SmbusHost::complete()
{
    if (failsThisTransaction()) {
        failed();
        return;
    }
    if (!reading_) target_->writeBlock(command_, block_, index_);
    status_ |= kSmbInterrupt;
    finish(SmbusResult::Done);
}

void SmbusHost::finish(SmbusResult result)
{
    phase_ = Phase::Idle;
    byteDonePending_ = false;
    trace_.result = result;
    if (observer_ != nullptr) observer_->onSmbusTransaction(trace_);
}

void SmbusHost::record(uint8_t byte)
{
    if (trace_.count < SmbusTransaction::kDataCapacity) trace_.data[trace_.count] = byte;
    if (trace_.count < 0xFF) ++trace_.count;
}

}  // namespace sim

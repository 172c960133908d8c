#include "sim/sim_platform.h"

namespace sim {

int32_t SimChannel::loadDriver()
{
    loaded_ = true;
    ++loadCount_;
    return 1;
}

void SimChannel::unloadDriver()
{
    if (!loaded_) return;
    loaded_ = false;
    open_ = false;
    ++unloadCount_;
}

int32_t SimChannel::openDevice()
{
    open_ = loaded_;
    return open_ ? 1 : 0;
}

bool SimChannel::passes(bool read)
{
    ++portOperations_;
    if (!open_) return false;
    const Scenario& scenario = board_.scenario();
    if (read && scenario.fault == FaultKind::PortReadsFail) return false;
    return scenario.failFrom == 0 || portOperations_ < scenario.failFrom;
}

int32_t SimChannel::inByte(uint32_t port, uint8_t& value)
{
    if (!passes(true)) return 0;
    value = static_cast<uint8_t>(board_.portIn(static_cast<uint16_t>(port), Width::Byte));
    return 1;
}

int32_t SimChannel::inDword(uint32_t port, uint32_t& value)
{
    if (!passes(true)) return 0;
    value = board_.portIn(static_cast<uint16_t>(port), Width::Dword);
    return 1;
}

int32_t SimChannel::outByte(uint32_t port, uint8_t value)
{
    if (!passes(false)) return 0;
    board_.portOut(static_cast<uint16_t>(port), Width::Byte, value);
    return 1;
}

int32_t SimChannel::outDword(uint32_t port, uint32_t value)
{
    if (!passes(false)) return 0;
    board_.portOut(static_cast<uint16_t>(port), Width::Dword, value);
    return 1;
}

int32_t SimChannel::readMsr(uint32_t index, uint32_t& low, uint32_t& high)
{
    uint64_t value = 0;
    if (!open_ || !board_.readMsr(index, value)) return 0;
    low = static_cast<uint32_t>(value);
    high = static_cast<uint32_t>(value >> 32);
    return 1;
}

int64_t SimTiming::perfCounter()
{
    const uint64_t ns = board_.clock().nowNs();
    const uint64_t second = 1000000000u;
    const uint64_t f = static_cast<uint64_t>(kPerfFrequency);
    return static_cast<int64_t>(ns / second * f + ns % second * f / second);
}

void SimTiming::sleepMs(uint32_t milliseconds)
{
    ++sleeps_;
    VirtualClock& clock = board_.clock();
    const uint64_t end = clock.nowNs() + uint64_t{milliseconds} * 1000000u;
    const uint64_t tickNs = uint64_t{board_.scenario().tickUs} * 1000u;
    if (preciseDepth_ > 0 || tickNs == 0) {
        clock.advanceTo(end);
        return;
    }
    clock.advanceTo((end + tickNs - 1) / tickNs * tickNs);
}

void SimTiming::beginPreciseSleeps()
{
    ++preciseDepth_;
    ++preciseRequests_;
}

void SimTiming::endPreciseSleeps()
{
    if (preciseDepth_ > 0) --preciseDepth_;
}

SavedPriority SimTiming::raisePriority()
{
    raised_ = true;
    return SavedPriority{0x20, 0};  // normal class, normal thread priority
}

void SimTiming::restorePriority(const SavedPriority&) { raised_ = false; }

CpuidRegs SimProcessor::cpuid(uint32_t leaf)
{
    const CpuidAnswer a = board_.cpuid(leaf);
    return CpuidRegs{a.eax, a.ebx, a.ecx, a.edx};
}

uint64_t SimProcessor::readTsc() { return board_.readTsc(); }

}  // namespace sim

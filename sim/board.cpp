#include "sim/board.h"

namespace sim {

namespace {
constexpr uint16_t kConfigAddress = 0xCF8;
constexpr uint16_t kResetControl = 0xCF9;
constexpr uint16_t kMech2Forward = 0xCFA;
constexpr uint16_t kConfigData = 0xCFC;
constexpr uint32_t kAllOnes = 0xFFFFFFFF;

uint32_t mask(Width width) { return width == Width::Byte ? 0xFFu : 0xFFFFFFFFu; }
}  // namespace

void Board::configure(const Scenario& scenario)
{
    scenario_ = scenario;
    const BoardLayout& layout = boardLayout(scenario.board);
    mechanism_ = layout.mechanism;
    populate(layout, pci_);
    configAddress_ = 0;
    mech2Enable_ = 0;
    mech2Forward_ = 0;
    resetRequested_ = false;
    msrCount_ = 0;
    fsbHalfMhz_ = scenario.fsbHalfMhz;
    ratioCode_ = scenario.ratioCode;
    tscBase_ = 0;
    tscRemainder_ = 0;
    tscSinceNs_ = clock_.nowNs();
    configureSmbus(scenario);
    processor_ = &processorModel(scenario.cpu);
    for (const ModelMsr& msr : processor_->msrs)
        if (msr.index != 0) setMsr(msr.index, msr.value);
    coreMultiplier_ = processor_->multiplier;
    cpuidRemainder_ = 0;
}

uint32_t Board::portIn(uint16_t port, Width width)
{
    clock_.advanceNs(kPortCycleNs);
    const uint32_t value = decodeIn(port, width) & mask(width);
    if (observer_ != nullptr) observer_->onPortAccess(PortAccess{false, width, port, value});
    return value;
}

void Board::portOut(uint16_t port, Width width, uint32_t value)
{
    clock_.advanceNs(kPortCycleNs);
    value &= mask(width);
    if (observer_ != nullptr) observer_->onPortAccess(PortAccess{true, width, port, value});
    decodeOut(port, width, value);
}

void Board::configureSmbus(const Scenario& scenario)
{
    SmbusHostBehaviour behaviour;
    behaviour.holdsBusyAfterLastByte = scenario.fault == FaultKind::StrictBlockEnd;
    behaviour.stuckBusy = scenario.fault == FaultKind::StuckBusy;
    behaviour.byteDoneNeverSet = scenario.fault == FaultKind::NoByteDone;
    behaviour.endsEmptyBlockRead = scenario.fault == FaultKind::EmptyBlock;
    static_assert(Scenario::kFailedTransactions == SmbusHostBehaviour::kFailedCapacity, "one slot each");
    for (uint32_t i = 0; i < Scenario::kFailedTransactions; ++i)
        behaviour.failedTransactions[i] = scenario.failTransactions[i];
    behaviour.failedWithInterrupt = scenario.fault == FaultKind::FailedIntr;
    behaviour.endsBlockEarly = scenario.fault == FaultKind::ShortBlock;
    smbus_.reset(behaviour);
    clockChip_.reset(this, scenario.fsbHalfMhz, scenario.ratioCode);
    if (scenario.fault == FaultKind::EmptyBlock) clockChip_.setReportedBlockCount(0);
    clockChip_.setWriteFaults(scenario.nakRegister, scenario.stuckRegister);
    clockChip_.setDropsLowBits(scenario.fault == FaultKind::DropLowBits);
    if (scenario.fault != FaultKind::NoDevice) smbus_.attach(&clockChip_);
}

// The SMBus host's registers are byte-wide; other cycles there go unclaimed.
bool Board::isSmbusCycle(uint16_t port, Width width) const
{
    const uint16_t base = smbusBase();
    return base != 0 && width == Width::Byte && port >= base && port < base + SmbusHost::kPortCount;
}

uint32_t Board::decodeIn(uint16_t port, Width width)
{
    if (isSmbusCycle(port, width)) return smbus_.read(port - smbusBase(), clock_.nowNs());
    if (port >= kConfigAddress && port <= kConfigData + 3) return configIn(port, width);
    if (mechanism_ == ConfigMechanism::Two && port >= 0xC000 && port <= 0xCFFF) return mech2WindowIn(port, width);
    return kAllOnes;
}

void Board::decodeOut(uint16_t port, Width width, uint32_t value)
{
    if (isSmbusCycle(port, width)) smbus_.write(port - smbusBase(), static_cast<uint8_t>(value), clock_.nowNs());
    if (port >= kConfigAddress && port <= kConfigData + 3) configOut(port, width, value);
}

uint32_t Board::configIn(uint16_t port, Width width) const
{
    switch (mechanism_) {
    case ConfigMechanism::OneAliased:
        if (port < kConfigData && width == Width::Byte) return configAddress_ >> (8 * (port - kConfigAddress)) & 0xFF;
        [[fallthrough]];
    case ConfigMechanism::One:
        // Only whole-dword cycles at 0xCF8 reach CONFIG_ADDRESS; byte cycles
        // there pass to the bus unclaimed.
        if (port == kConfigAddress && width == Width::Dword) return configAddress_;
        if (port >= kConfigData && (configAddress_ & 0x80000000u) != 0) {
            const uint32_t a = configAddress_;
            const uint32_t dword = pci_.readDword(a >> 16 & 0xFF, a >> 11 & 0x1F, a >> 8 & 0x07, a & 0xFC);
            return width == Width::Dword ? dword : dword >> (8 * (port - kConfigData));
        }
        return kAllOnes;
    case ConfigMechanism::Two:
        if (port == kConfigAddress && width == Width::Byte) return mech2Enable_;
        if (port == kMech2Forward && width == Width::Byte) return mech2Forward_;
        if (port == kConfigAddress && width == Width::Dword)
            return 0xFF00FF00u | uint32_t{mech2Forward_} << 16 | mech2Enable_;
        return kAllOnes;
    case ConfigMechanism::None:
        break;
    }
    return kAllOnes;
}

void Board::configOut(uint16_t port, Width width, uint32_t value)
{
    const bool one = mechanism_ == ConfigMechanism::One || mechanism_ == ConfigMechanism::OneAliased;
    if (one && port == kResetControl && width == Width::Byte && (value & 0x04) != 0) resetRequested_ = true;
    switch (mechanism_) {
    case ConfigMechanism::One:
    case ConfigMechanism::OneAliased:
        if (port == kConfigAddress && width == Width::Dword) configAddress_ = value;
        break;
    case ConfigMechanism::Two:
        if (port == kConfigAddress) mech2Enable_ = static_cast<uint8_t>(value);
        if (port == kMech2Forward && width == Width::Byte) mech2Forward_ = static_cast<uint8_t>(value);
        if (port == kConfigAddress && width == Width::Dword) mech2Forward_ = static_cast<uint8_t>(value >> 16);
        break;
    case ConfigMechanism::None:
        break;
    }
}

// Mechanism #2: while the key field of the enable register is non-zero,
// device d's configuration space appears at 0xC000 | d << 8 | offset.
uint32_t Board::mech2WindowIn(uint16_t port, Width width) const
{
    if ((mech2Enable_ & 0xF0) == 0) return kAllOnes;
    const uint32_t device = port >> 8 & 0x0F;
    const uint32_t offset = port & 0xFF;
    const uint32_t dword = pci_.readDword(mech2Forward_, device, mech2Enable_ >> 1 & 0x07, offset & 0xFC);
    return width == Width::Dword ? dword : dword >> (8 * (offset & 3));
}

void Board::setRunningClock(uint16_t fsbHalfMhz, int32_t ratioCode)
{
    readTsc();  // count the ticks at the old clock first
    fsbHalfMhz_ = fsbHalfMhz;
    ratioCode_ = ratioCode;
}

void Board::setCoreMultiplier(uint32_t multiplier)
{
    readTsc();
    coreMultiplier_ = multiplier;
}

// Ticks per ns = multiplier x FSB(MHz) / 1000 = multiplier x halfMhz / 2000.
uint64_t Board::readTsc()
{
    const uint64_t now = clock_.nowNs();
    const uint64_t scaled = (now - tscSinceNs_) * coreMultiplier_ * fsbHalfMhz_ + tscRemainder_;
    tscBase_ += scaled / 2000;
    tscRemainder_ = scaled % 2000;
    tscSinceNs_ = now;
    return tscBase_;
}

CpuidAnswer Board::cpuid(uint32_t leaf)
{
    // ns = clocks x 1000 / (multiplier x MHz) = clocks x 2000 / (multiplier x halfMhz)
    const uint64_t perNs = uint64_t{coreMultiplier_} * fsbHalfMhz_;
    const uint64_t scaled = kCpuidCoreClocks * 2000 + cpuidRemainder_;
    if (perNs != 0) {
        clock_.advanceNs(scaled / perNs);
        cpuidRemainder_ = scaled % perNs;
    }
    return cpuidAnswer(*processor_, leaf);
}

bool Board::readMsr(uint32_t index, uint64_t& value) const
{
    for (uint32_t i = 0; i < msrCount_; ++i) {
        if (msrs_[i].index == index) {
            value = msrs_[i].value;
            return true;
        }
    }
    return false;
}

void Board::setMsr(uint32_t index, uint64_t value)
{
    for (uint32_t i = 0; i < msrCount_; ++i) {
        if (msrs_[i].index == index) {
            msrs_[i].value = value;
            return;
        }
    }
    if (msrCount_ < kMsrCapacity) msrs_[msrCount_++] = MsrEntry{index, value};
}

}  // namespace sim

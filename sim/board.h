// The simulated board: answers port cycles and MSR reads the way the chips
// of a QZ8-II (or of one of its variants) do. No heap, no exceptions, no RTTI:
// a stand-in driver may host it.
#pragma once

#include <cstdint>

#include "sim/board_layouts.h"
#include "sim/clock_chip.h"
#include "sim/pci_space.h"
#include "sim/port_access.h"
#include "sim/processor_model.h"
#include "sim/scenario.h"
#include "sim/smbus_host.h"
#include "sim/virtual_clock.h"

namespace sim {

class Board {
public:
    // An I/O cycle on the LPC side takes about a microsecond.
    static constexpr uint64_t kPortCycleNs = 1000;

    Board() { configure(Scenario{}); }
    explicit Board(const Scenario& scenario) { configure(scenario); }

    void configure(const Scenario& scenario);
    const Scenario& scenario() const { return scenario_; }

    // Every cycle completes: a port nothing claims reads all ones.
    uint32_t portIn(uint16_t port, Width width);
    void portOut(uint16_t port, Width width, uint32_t value);

    // MSRs answer from a table; false for an index the processor lacks.
    bool readMsr(uint32_t index, uint64_t& value) const;
    void setMsr(uint32_t index, uint64_t value);

    // The bus clock the board runs at, as the clock generator produces it.
    uint16_t runningFsbHalfMhz() const { return fsbHalfMhz_; }
    int32_t runningRatioCode() const { return ratioCode_; }
    // Called by the clock generator when its registers take a new FSB or
    // divider; the time-stamp counter keeps counting across the change.
    void setRunningClock(uint16_t fsbHalfMhz, int32_t ratioCode);

    // The processor's core-to-bus multiplier, and its time-stamp counter:
    // multiplier x FSB ticks per microsecond of virtual time.
    void setCoreMultiplier(uint32_t multiplier);
    uint64_t readTsc();
    // One CPUID instruction of the scenario's processor; it takes
    // kCpuidCoreClocks core clocks of virtual time.
    static constexpr uint64_t kCpuidCoreClocks = 150;
    CpuidAnswer cpuid(uint32_t leaf);

    VirtualClock& clock() { return clock_; }
    const VirtualClock& clock() const { return clock_; }
    PciSpace& pci() { return pci_; }
    const PciSpace& pci() const { return pci_; }

    void setObserver(PortObserver* observer) { observer_ = observer; }

    // The south bridge's SMBus host, decoded at the base its configuration
    // space holds (0: not decoded), and the clock generator on its bus.
    uint16_t smbusBase() const { return smbusHostBase(scenario_.board, pci_); }
    SmbusHost& smbusHost() { return smbus_; }
    ClockChip& clockChip() { return clockChip_; }
    void setSmbusObserver(SmbusObserver* observer) { smbus_.setObserver(observer); }
    // Lets SMBus transfers in flight reach the present virtual time.
    void settleSmbus() { smbus_.settle(clock_.nowNs()); }
    // A write to the ICH's reset control register (0xCF9) with bit 2 set
    // would have reset the machine.
    bool resetRequested() const { return resetRequested_; }
    uint32_t configAddress() const { return configAddress_; }

private:
    void configureSmbus(const Scenario& scenario);
    bool isSmbusCycle(uint16_t port, Width width) const;
    uint32_t decodeIn(uint16_t port, Width width);
    void decodeOut(uint16_t port, Width width, uint32_t value);
    uint32_t configIn(uint16_t port, Width width) const;
    void configOut(uint16_t port, Width width, uint32_t value);
    uint32_t mech2WindowIn(uint16_t port, Width width) const;

    struct MsrEntry {
        uint32_t index;
        uint64_t value;
    };
    static constexpr uint32_t kMsrCapacity = 8;

    Scenario scenario_{};
    ConfigMechanism mechanism_ = ConfigMechanism::One;
    PciSpace pci_;
    VirtualClock clock_;
    PortObserver* observer_ = nullptr;
    SmbusHost smbus_;
    ClockChip clockChip_;
    uint32_t configAddress_ = 0;  // mechanism #1 CONFIG_ADDRESS
    uint8_t mech2Enable_ = 0;     // mechanism #2 configuration-space enable
    uint8_t mech2Forward_ = 0;    // mechanism #2 forward (bus) register
    bool resetRequested_ = false;
    MsrEntry msrs_[kMsrCapacity] = {};
    uint16_t fsbHalfMhz_ = 266;
    int32_t ratioCode_ = 4;
    uint32_t coreMultiplier_ = 18;
    uint64_t tscBase_ = 0;    // ticks counted up to tscSinceNs_
    uint64_t tscSinceNs_ = 0;
    uint64_t tscRemainder_ = 0;  // fraction of a tick carried, in 1/2000 tick units
    const ProcessorModel* processor_ = nullptr;
    uint64_t cpuidRemainder_ = 0;  // fraction of a ns carried between CPUIDs
    uint32_t msrCount_ = 0;
};

}  // namespace sim

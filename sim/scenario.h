// The state a simulated board starts in, as chosen by the QZ8_SIM
// environment variable: blank-separated key=value items.
#pragma once

#include <cstdint>

namespace sim {

enum class BoardKind : uint8_t {
    Stock,    // QZ8-II: Intel 850 + ICH2
    Raid,     // QZ8-II RAID edition: an ATA RAID controller behind the hub-to-PCI bridge
    Mech2,    // a machine with configuration mechanism #2 only
    Empty,    // nothing answers on the bus
    Crowded,  // more than 128 PCI functions
    // South bridges for SMBus discovery (other chips' SMBus functions).
    Ich,         // 82801AA ICH 0x2413, base at 0x20
    Ich0,        // 82801AB ICH0 0x2423
    Ich4,        // 82801DB ICH4 0x24C3, junk in the base register's upper half
    Piix4,       // PIIX4 power management 0x7113, base at 0x90
    Via686,      // VT82C686 0x3057, base at 0x90 enabled
    Via686Alt,   // 0x3086 with 0x90 disabled and 0x80 enabled
    Via686Off,   // 0x3057 with both base registers disabled
    Vt8233,      // 0x3074, base at 0xD0 enabled
    Vt8235Off,   // 0x3177, base at 0xD0 disabled
    Amd766,      // 0x7403, block at (0x58 & 0xFFF0) + 0xE0
    Amd768,      // 0x740B
    I440mx,      // 0x8086:0x719B, listed without a rule
    Sis,         // 0x1039:0x0009, listed without a rule
    NoRuleFirst, // 0x719B ahead of an ICH2 in table order
    TwoBridges,  // a VT8233 ahead of the ICH2 in table order
    NoSmbus,     // ICH5 (0x24D3): a south bridge discovery does not know
    I845,        // Intel 845 host bridge (0x1A30) with the ICH2: no 850 memory ratio
    AliasedBytes,  // the QZ8-II whose 0xCF8/0xCFA byte reads return CONFIG_ADDRESS's bytes
    // SMBus bases where no host block may sit.
    LowBase,     // ICH2 base register 0x0041: the block on the legacy timer ports
    ConfigBase,  // ICH2 base register 0x0CF1: the block over 0xCF8-0xCFF
    AmdWrap,     // AMD 766 with 0xFF91 at 0x58: 0xFF90 + 0xE0 runs past 0xFFFF onto 0x0070
};

enum class CpuKind : uint8_t {
    Northwood,       // Pentium 4 2.4 GHz, the stock processor
    Willamette,      // Pentium 4 1.5 GHz, model 1
    Celeron,         // brand index 10, 128 KB L2
    Xeon,            // brand index 11
    MobileP4,        // Pentium 4-M, brand index 14, model 2
    ExtendedFamily,  // family 15 with a non-zero extended family
    Family6,         // Pentium M
    Amd,             // Athlon 64
    NoBrand,         // Pentium III, no extended leaves
};

enum class FaultKind : uint8_t {
    None,
    PortReadsFail,  // every port read through the channel fails
    StuckBusy,      // the SMBus host's busy bit never drops
    NoByteDone,     // the SMBus host never shows byte done
    NoDevice,       // no clock generator answers at 0x69
    StrictBlockEnd, // the SMBus host holds busy after a block's last byte until byte done is cleared
    EmptyBlock,     // the clock chip reports a block count of 0; the host ends such a read with interrupt alone
    ShortBlock,     // the host ends every block transfer after its first data byte, as if it were the last
    FailedIntr,     // a transaction ended by failtx shows interrupt beside failed
    DropLowBits,    // register 31 keeps what is written to its divider field but drops bits 1..0
};

// Faults in the middle of a sequence, each independent of `fault`.
constexpr int32_t kNoRegister = -1;

struct Scenario {
    BoardKind board = BoardKind::Stock;
    CpuKind cpu = CpuKind::Northwood;
    uint16_t fsbHalfMhz = 266;  // 133.0 MHz
    int32_t ratioCode = 4;
    FaultKind fault = FaultKind::None;
    uint32_t failFrom = 0;               // every port operation from this one on fails (1 = the first; 0 = never)
    // These SMBus transactions (1 = the first) end with the failed flag; 0 = unused.
    static constexpr uint32_t kFailedTransactions = 4;
    uint32_t failTransactions[kFailedTransactions] = {};
    int32_t nakRegister = kNoRegister;   // the clock chip answers device error for writes to this register
    int32_t stuckRegister = kNoRegister; // the clock chip acknowledges writes to this register but keeps its value
    uint32_t tickUs = 1000;              // the system tick a coarse sleep waits for, in microseconds
    // Sleeps also take their time on the real clock, so that a person or a
    // test can watch or interrupt a run (honoured by qz8fsb-cli).
    bool realPace = false;
    char tracePath[260] = {};
};

// A name a key accepts, and the enumerator it stands for.
struct ScenarioName {
    const char* name;
    uint8_t value;
};

// Parses `text` (may be null or empty: the stock board) into `scenario`.
// On a refused key or value returns false and writes a one-line reason.
bool parseScenario(const char* text, Scenario& scenario, char* error, uint32_t errorSize);

// Name of an enumerator, for messages and traces ("?" when unknown).
const char* boardName(BoardKind kind);
const char* cpuName(CpuKind kind);
const char* faultName(FaultKind kind);

}  // namespace sim

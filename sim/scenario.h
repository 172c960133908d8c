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
};

enum class CpuKind : uint8_t {
    Northwood,
};

enum class FaultKind : uint8_t {
    None,
    PortReadsFail,  // every port read through the channel fails
};

struct Scenario {
    BoardKind board = BoardKind::Stock;
    CpuKind cpu = CpuKind::Northwood;
    uint16_t fsbHalfMhz = 266;  // 133.0 MHz
    int32_t ratioCode = 4;
    FaultKind fault = FaultKind::None;
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

// The simulated board behind the device: its ports and MSRs answer, its
// clock follows the kernel's. The board's state comes from the QZ8_SIM text
// in "qz8_sim.txt" beside the driver file (none: the stock board).
#include <new>

#include "driver/kernel_files.h"
#include "driver/machine.h"
#include "driver/port_log.h"
#include "driver/sim_trace_writer.h"
#include "sim/board.h"

namespace zornik {

namespace {

alignas(sim::Board) unsigned char boardStorage[sizeof(sim::Board)];
sim::Board* board = nullptr;
uint64_t startNs = 0;
char scenarioText[512];
char scenarioError[160];

// Virtual time runs with the kernel's from the moment the driver started.
sim::Board& synced()
{
    board->clock().advanceTo(kernelTimeNs() - startNs);
    return *board;
}

sim::Width width(bool dword) { return dword ? sim::Width::Dword : sim::Width::Byte; }

}  // namespace

bool machineStart(const MachineStart& start)
{
    kernelReadBesideDriver(start.serviceKey, start.serviceKeyChars, "qz8_sim.txt", scenarioText, sizeof scenarioText);
    for (char& c : scenarioText)
        if (c == '\r' || c == '\n') c = ' ';
    sim::Scenario scenario;
    if (!sim::parseScenario(scenarioText, scenario, scenarioError, sizeof scenarioError)) return false;
    startNs = kernelTimeNs();
    board = new (boardStorage) sim::Board(scenario);
    if (scenario.tracePath[0] != '\0') startTrace(*board, scenario.tracePath);
    startPortLog(*board, start);
    return true;
}

void machineStop()
{
    stopTrace();
    stopPortLog();
    if (board != nullptr) board->~Board();
    board = nullptr;
}

bool machineIn(uint16_t port, bool dword, uint32_t& value)
{
    value = synced().portIn(port, width(dword));
    return true;
}

bool machineOut(uint16_t port, bool dword, uint32_t value)
{
    synced().portOut(port, width(dword), value);
    return true;
}

bool machineReadMsr(uint32_t index, uint64_t& value) { return synced().readMsr(index, value); }

}  // namespace zornik

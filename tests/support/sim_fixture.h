// A simulated board installed as the platform, with the process-wide records
// reset before each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "support/recording.h"
#include "sim/sim_platform.h"

// Back to the state of process start: channel, PCI table and every other
// process-wide record.
void resetProcessRecords();

sim::Scenario scenarioFrom(const char* text);

class SimBoardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Rebuilds the board in the state the QZ8_SIM text describes.
    void useScenario(const char* text);
    // Start-up's first steps: load the driver and open the device.
    void bringUp();
    sim::Board& board() { return machine->board; }

    std::unique_ptr<sim::SimMachine> machine = std::make_unique<sim::SimMachine>();
    RecordingNotifier notifier;
    PortLog log;
};

#include "support/sim_fixture.h"

#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "ident/cpu_info.h"
#include "ident/host_bridge.h"

void resetProcessRecords()
{
    resetHwChannel();
    pciDeviceTable = PciDeviceTable{};
    cpuInfo = CpuInfo{};
    chipsetInfo = ChipsetInfo{};
    smbusPorts = SmbusPorts{};
    currentSetting = ClockSetting{};
}

sim::Scenario scenarioFrom(const char* text)
{
    sim::Scenario scenario;
    char error[200];
    EXPECT_TRUE(sim::parseScenario(text, scenario, error, sizeof error)) << error;
    return scenario;
}

void SimBoardTest::SetUp()
{
    resetProcessRecords();
    installPlatform(machine->platform(notifier));
    board().setObserver(&log);
}

void SimBoardTest::TearDown()
{
    board().setObserver(nullptr);
    resetProcessRecords();
}

void SimBoardTest::useScenario(const char* text) { board().configure(scenarioFrom(text)); }

void SimBoardTest::bringUp()
{
    driverLoaded = loadDriver();
    ASSERT_EQ(openDevice(), 1);
}

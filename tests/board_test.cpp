// The simulated board's port decoding, as the chips do it.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include <cstring>

#include "hw/hw_channel.h"
#include "support/sim_fixture.h"

namespace {

using sim::Width;

TEST(Board, ByteCyclesToTheConfigAddressPortsAreNotDecodedOnMechanismOne)
{
    sim::Board board;
    board.portOut(0xCF8, Width::Dword, 0x80000000);
    board.portOut(0xCF8, Width::Byte, 0x00);
    board.portOut(0xCFA, Width::Byte, 0x00);
    EXPECT_EQ(board.portIn(0xCF8, Width::Byte), 0xFFu);
    EXPECT_EQ(board.portIn(0xCFA, Width::Byte), 0xFFu);
    EXPECT_EQ(board.portIn(0xCF8, Width::Dword), 0x80000000u) << "the byte writes were lost";
}

TEST(Board, ConfigDataAnswersOnlyWithTheEnableBit)
{
    sim::Board board;
    board.portOut(0xCF8, Width::Dword, 0x0000F800);
    EXPECT_EQ(board.portIn(0xCFC, Width::Dword), 0xFFFFFFFFu);
    board.portOut(0xCF8, Width::Dword, 0x8000FB00);  // 0:1f.3, offset 0
    EXPECT_EQ(board.portIn(0xCFC, Width::Dword), 0x24438086u);
    EXPECT_EQ(board.portIn(0xCFE, Width::Byte), 0x43u);
}

TEST(Board, ResetControlWriteWithBitTwoIsDetected)
{
    sim::Board board;
    board.portOut(0xCF9, Width::Byte, 0x02);
    EXPECT_FALSE(board.resetRequested());
    board.portOut(0xCF9, Width::Byte, 0x06);
    EXPECT_TRUE(board.resetRequested());
}

TEST(Board, MechanismTwoRegistersReadBackAndOpenTheDeviceWindow)
{
    sim::Board board(scenarioFrom("board=mech2"));
    board.portOut(0xCF8, Width::Byte, 0x00);
    board.portOut(0xCFA, Width::Byte, 0x00);
    EXPECT_EQ(board.portIn(0xCF8, Width::Byte), 0x00u);
    EXPECT_EQ(board.portIn(0xCFA, Width::Byte), 0x00u);
    EXPECT_EQ(board.portIn(0xC000, Width::Dword), 0xFFFFFFFFu) << "configuration space disabled";
    board.portOut(0xCF8, Width::Byte, 0x80);
    EXPECT_EQ(board.portIn(0xC000, Width::Dword), 0x122D8086u);
    EXPECT_EQ(board.portIn(0xC700, Width::Dword), 0x122E8086u);
}

TEST(Board, EveryCycleCostsVirtualTimeAndIsObserved)
{
    sim::Board board;
    PortLog log;
    board.setObserver(&log);
    const uint64_t start = board.clock().nowNs();
    board.portOut(0xCF8, Width::Dword, 0x80000000);
    board.portIn(0xCFC, Width::Dword);
    EXPECT_EQ(board.clock().nowNs() - start, 2 * sim::Board::kPortCycleNs);
    ASSERT_EQ(log.accesses.size(), 2u);
    EXPECT_TRUE(log.accesses[0].write);
    EXPECT_EQ(log.accesses[1].value, 0x25308086u);
}

class SimChannelTest : public SimBoardTest {};

TEST_F(SimChannelTest, RequestsFailWhileTheDeviceIsClosed)
{
    uint8_t value = 0x5A;
    EXPECT_EQ(readPortByte(0xCF8, value), 0);
    EXPECT_EQ(value, 0);
    bringUp();
    EXPECT_EQ(writePortDword(0xCF8, 0x80000000), 1);
    closeDevice();
    EXPECT_EQ(writePortDword(0xCF8, 0), 0);
    EXPECT_EQ(board().configAddress(), 0x80000000u);
}

TEST_F(SimChannelTest, UnloadTwiceDoesItsWorkOnce)
{
    bringUp();
    unloadDriver();
    unloadDriver();
    EXPECT_EQ(machine->channel.unloadCount(), 1u);
}

TEST_F(SimChannelTest, PortReadFaultFailsReadsButNotWrites)
{
    useScenario("fault=portfail");
    bringUp();
    uint32_t value = 1;
    EXPECT_EQ(writePortDword(0xCF8, 0x80000000), 1);
    EXPECT_EQ(readPortDword(0xCF8, value), 0);
    EXPECT_EQ(value, 0u);
}

TEST(Scenario, EmptyTextIsTheStockBoard)
{
    sim::Scenario s;
    char error[100];
    ASSERT_TRUE(sim::parseScenario("", s, error, sizeof error));
    EXPECT_EQ(s.board, sim::BoardKind::Stock);
    EXPECT_EQ(s.fsbHalfMhz, 266);
    EXPECT_EQ(s.ratioCode, 4);
    ASSERT_TRUE(sim::parseScenario(nullptr, s, error, sizeof error));
}

TEST(Scenario, ItemsSetTheirFields)
{
    sim::Scenario s;
    char error[100];
    ASSERT_TRUE(sim::parseScenario("  board=raid\tfsb=100.5 ratio=-1 trace=/tmp/a b=", s, error, sizeof error) ==
                false);
    ASSERT_TRUE(sim::parseScenario("  board=raid\tfsb=100.5 ratio=-1 trace=/tmp/t.txt ", s, error, sizeof error))
        << error;
    EXPECT_EQ(s.board, sim::BoardKind::Raid);
    EXPECT_EQ(s.fsbHalfMhz, 201);
    EXPECT_EQ(s.ratioCode, -1);
    EXPECT_STREQ(s.tracePath, "/tmp/t.txt");
    EXPECT_FALSE(s.realPace);
    ASSERT_TRUE(sim::parseScenario("failtx=8,12,1,2147483647 pace=real", s, error, sizeof error)) << error;
    EXPECT_TRUE(s.realPace);
    EXPECT_EQ(std::vector<uint32_t>(std::begin(s.failTransactions), std::end(s.failTransactions)),
              (std::vector<uint32_t>{8, 12, 1, 2147483647}));
}

TEST(Scenario, RefusesUnknownKeysValuesAndMalformedItems)
{
    const char* refused[][2] = {
        {"colour=red", "QZ8_SIM: unknown key 'colour'"},
        {"board=abit", "QZ8_SIM: refused value 'abit' for key 'board'"},
        {"fsb=257.5", "QZ8_SIM: refused value '257.5' for key 'fsb'"},
        {"fsb=1.5", "QZ8_SIM: refused value '1.5' for key 'fsb'"},
        {"fsb=133.3", "QZ8_SIM: refused value '133.3' for key 'fsb'"},
        {"fsb=", "QZ8_SIM: refused value '' for key 'fsb'"},
        {"ratio=9", "QZ8_SIM: refused value '9' for key 'ratio'"},
        {"failtx=1,2,3,4,5", "QZ8_SIM: refused value '1,2,3,4,5' for key 'failtx'"},
        {"failtx=8,", "QZ8_SIM: refused value '8,' for key 'failtx'"},
        {"failtx=0", "QZ8_SIM: refused value '0' for key 'failtx'"},
        {"pace=fast", "QZ8_SIM: refused value 'fast' for key 'pace'"},
        {"board", "QZ8_SIM: 'board' is not a key=value item"},
    };
    for (const auto& item : refused) {
        sim::Scenario s;
        char error[100] = "unchanged";
        EXPECT_FALSE(sim::parseScenario(item[0], s, error, sizeof error)) << item[0];
        EXPECT_STREQ(error, item[1]);
    }
    sim::Scenario s;
    char tiny[8];
    EXPECT_FALSE(sim::parseScenario("colour=red", s, tiny, sizeof tiny));
    EXPECT_EQ(std::strlen(tiny), 7u) << "the reason is cut to the buffer";
}

TEST(Scenario, AcceptsTheFsbRangeEnds)
{
    sim::Scenario s;
    char error[100];
    ASSERT_TRUE(sim::parseScenario("fsb=2.0", s, error, sizeof error));
    EXPECT_EQ(s.fsbHalfMhz, 4);
    ASSERT_TRUE(sim::parseScenario("fsb=257", s, error, sizeof error));
    EXPECT_EQ(s.fsbHalfMhz, 514);
}

}  // namespace

namespace {

TEST(Board, TimeStampCounterFollowsTheRunningBusClock)
{
    sim::Board board;  // 18 x 133.0 MHz
    const uint64_t start = board.readTsc();
    board.clock().advanceMs(1);
    EXPECT_EQ(board.readTsc() - start, 2394000u);
    board.setRunningClock(300, 4);  // 150.0 MHz
    board.clock().advanceMs(1);
    EXPECT_EQ(board.readTsc() - start, 2394000u + 2700000u);
}

}  // namespace

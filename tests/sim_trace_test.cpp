// The SMBus trace file written for QZ8_SIM's trace=PATH.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "sim/sim_trace.h"
#include "sim/trace_line.h"
#include "support/sim_fixture.h"
#include "support/test_files.h"

namespace {

TEST(SimTrace, DescribesEachTransactionReadably)
{
    sim::SmbusTransaction word{};
    word.address = 0xD3;
    word.command = 0x12;
    word.protocol = sim::kSmbWordData;
    word.count = 2;
    word.data[0] = 0x11;
    word.data[1] = 0x83;
    word.result = sim::SmbusResult::Done;
    EXPECT_EQ(sim::describeTransaction(word), "0xD3 cmd 0x12 word  data 11 83 -> done");
    word.count = 0;
    word.result = sim::SmbusResult::DeviceError;
    EXPECT_EQ(sim::describeTransaction(word), "0xD3 cmd 0x12 word  data -> device error");
    // A block longer than the bytes kept shows that it was cut.
    word.protocol = sim::kSmbBlock;
    word.count = sim::SmbusTransaction::kDataCapacity + 1;
    word.result = sim::SmbusResult::Failed;
    const std::string block = sim::describeTransaction(word);
    EXPECT_EQ(block.rfind("0xD3 cmd 0x12 block data 11 83 00", 0), 0u) << block;
    EXPECT_EQ(block.size(), std::string("0xD3 cmd 0x12 block data").size() + 3 * 48 + 14) << block;
    EXPECT_EQ(block.substr(block.size() - 14), " ... -> failed");
}

// Any running clock gives a whole end line, the lowest divider code too
// (its negation does not fit an int32_t).
TEST(SimTrace, EndLineShowsAnyRunningClock)
{
    sim::Board board;
    char line[sim::kTraceLineSize];
    board.setRunningClock(201, -1);
    sim::formatTraceEnd(board, line, sizeof line);
    EXPECT_STREQ(line, "end: FSB 100.5 MHz, divider -1\n");
    board.setRunningClock(0xFFFF, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(sim::formatTraceEnd(board, line, sizeof line), 42u);
    EXPECT_STREQ(line, "end: FSB 32767.5 MHz, divider -2147483648\n");
}

class SimTraceTest : public SimBoardTest {};

TEST_F(SimTraceTest, WritesTheTransactionsAndTheClockTheRunEndsAt)
{
    const std::string path = uniqueTestFile("trace");
    useScenario(("trace=" + path).c_str());
    ASSERT_TRUE(sim::startSimTrace(board()));
    bringUp();
    scanPciBus();
    findSmbusController();
    ASSERT_EQ(applyClockSetting(150.5f, 5), 1);
    sim::finishSimTrace(board());

    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 16u) << text.str();
    EXPECT_EQ(lines[0].rfind("0xD3 cmd 0x00 block data 11 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[4], "0xD2 cmd 0x12 word  data 11 94 -> done");
    EXPECT_EQ(lines[5], "0xD2 cmd 0x14 word  data 11 95 -> done");
    EXPECT_EQ(lines[15], "end: FSB 150.5 MHz, divider 5");
    std::remove(path.c_str());
}

}  // namespace

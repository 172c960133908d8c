// The channel's contracts, against a back end whose every answer the test sets.
#include <gtest/gtest.h>

#include "hw/hw_channel.h"
#include "support/recording.h"
#include "support/sim_fixture.h"

namespace {

class ScriptedChannel final : public ChannelBackend {
public:
    int32_t loadDriver() override
    {
        ++loads;
        return loadResult;
    }
    void unloadDriver() override { ++unloads; }
    int32_t openDevice() override
    {
        ++opens;
        return opens <= failingOpens ? 0 : 1;
    }
    bool reloadOnOpenFailure() const override { return reloads; }
    void closeDevice() override {}
    int32_t inByte(uint32_t, uint8_t& value) override
    {
        value = byteValue;
        return ok;
    }
    int32_t inDword(uint32_t, uint32_t& value) override
    {
        value = dwordValue;
        return ok;
    }
    int32_t outByte(uint32_t, uint8_t) override { return ok; }
    int32_t outDword(uint32_t, uint32_t) override { return ok; }
    int32_t readMsr(uint32_t, uint32_t& low, uint32_t& high) override
    {
        low = 0x11111111;  // a failing back end may scribble on its outputs
        high = 0x22222222;
        return ok;
    }

    int32_t ok = 1;
    int32_t loadResult = 1;
    bool reloads = true;
    int failingOpens = 0;
    int loads = 0;
    int unloads = 0;
    int opens = 0;
    uint8_t byteValue = 0xAB;
    uint32_t dwordValue = 0xDEADBEEF;
};

class ChannelContractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProcessRecords();
        installPlatform(Platform{&channel, nullptr, nullptr, &notifier});
        driverLoaded = 1;
    }
    void TearDown() override { resetProcessRecords(); }

    ScriptedChannel channel;
    RecordingNotifier notifier;
};

TEST_F(ChannelContractTest, FailedReadsYieldZeroAndSucceedingReadsTheValue)
{
    uint8_t byte = 0x55;
    uint32_t dword = 0x55555555;
    EXPECT_EQ(readPortByte(0x80, byte), 1);
    EXPECT_EQ(byte, 0xAB);
    EXPECT_EQ(readPortDword(0x80, dword), 1);
    EXPECT_EQ(dword, 0xDEADBEEFu);

    channel.ok = 0;
    EXPECT_EQ(readPortByte(0x80, byte), 0);
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(readPortDword(0x80, dword), 0);
    EXPECT_EQ(dword, 0u);
    EXPECT_TRUE(notifier.boxes.empty()) << "port operations never show a message";
}

TEST_F(ChannelContractTest, CheckComparesEightBitsForBytesAndAllThirtyTwoForDwords)
{
    EXPECT_EQ(checkPortByte(0xCF8, 0xAB), 1);
    EXPECT_EQ(checkPortByte(0xCF8, 0xAA), 0);
    EXPECT_EQ(checkPortDword(0xCF8, 0xDEADBEEF), 1);
    EXPECT_EQ(checkPortDword(0xCF8, 0x0000BEEF), 0);
    EXPECT_EQ(checkPortDword(0xCF8, 0xDEADBEEE), 0);

    // A failed read compares as failure even when 0 is expected.
    channel.ok = 0;
    EXPECT_EQ(checkPortByte(0xCF8, 0x00), 0);
    EXPECT_EQ(checkPortDword(0xCF8, 0x00000000), 0);
}

TEST_F(ChannelContractTest, ReadMsrGivesHighHalfFirstAndKeepsOutputsOnFailure)
{
    uint32_t high = 1;
    uint32_t low = 2;
    EXPECT_EQ(readMsr(0x2C, high, low), 1);
    EXPECT_EQ(high, 0x22222222u);
    EXPECT_EQ(low, 0x11111111u);

    channel.ok = 0;
    high = 7;
    low = 8;
    EXPECT_EQ(readMsr(0x2C, high, low), 0);
    EXPECT_EQ(high, 7u);
    EXPECT_EQ(low, 8u);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Device does not support the requested API");
    EXPECT_EQ(notifier.boxes[0].caption, "error");
    EXPECT_EQ(notifier.boxes[0].icon, kIconError);
}

TEST_F(ChannelContractTest, DriverNotLoadedGatesOpenAndMsrSilently)
{
    driverLoaded = 0;
    uint32_t high = 3;
    uint32_t low = 4;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_EQ(readMsr(0x2C, high, low), 0);
    EXPECT_EQ(high, 3u);
    EXPECT_EQ(low, 4u);
    EXPECT_EQ(channel.opens, 0);
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(ChannelContractTest, FailedOpenReloadsTheDriverAndRetriesExactlyOnce)
{
    channel.failingOpens = 1;
    EXPECT_EQ(openDevice(), 1);
    EXPECT_EQ(channel.loads, 1);
    EXPECT_EQ(channel.opens, 2);

    channel.opens = 0;
    channel.loads = 0;
    channel.failingOpens = 5;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_EQ(channel.loads, 1);
    EXPECT_EQ(channel.opens, 2);
    EXPECT_EQ(driverLoaded, 1);
    EXPECT_TRUE(notifier.boxes.empty()) << "the retry's failure is silent";
}

TEST_F(ChannelContractTest, FailedReloadRecordsZeroAndSkipsTheSecondOpen)
{
    channel.failingOpens = 5;
    channel.loadResult = 0;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_EQ(channel.opens, 1);
    EXPECT_EQ(driverLoaded, 0);
    EXPECT_EQ(openDevice(), 0) << "later opens are refused until the driver loads";
    EXPECT_EQ(channel.opens, 1);
}

TEST_F(ChannelContractTest, BackEndWithoutReloadFailsTheOpenAtOnce)
{
    channel.reloads = false;
    channel.failingOpens = 1;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_EQ(channel.loads, 0);
    EXPECT_EQ(channel.opens, 1);
}

}  // namespace

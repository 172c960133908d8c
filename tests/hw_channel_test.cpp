// The channel's contracts, against a back end whose every answer the test sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hw/hw_channel.h"
#include "support/recording.h"
#include "support/scripted_cpu.h"
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
        ++portAccesses;
        value = byteValue;
        return ok;
    }
    int32_t inDword(uint32_t, uint32_t& value) override
    {
        ++portAccesses;
        value = dwordValue;
        return ok;
    }
    int32_t outByte(uint32_t, uint8_t) override { return ++portAccesses, ok; }
    int32_t outDword(uint32_t, uint32_t) override { return ++portAccesses, ok; }
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
    int portAccesses = 0;
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
    ASSERT_EQ(openDevice(), 1);
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
    ASSERT_EQ(openDevice(), 1);
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

// From open to close the bus is this process's and sleeps are precise;
// both are given back at close and after an open that failed.
class BurstTest : public ChannelContractTest {
protected:
    void SetUp() override
    {
        ChannelContractTest::SetUp();
        installPlatform(Platform{&channel, nullptr, &timing, &notifier, &lock});
    }
    FakeBusLock lock;
    ScriptedTiming timing;
};

TEST_F(BurstTest, NoPortIsTouchedOutsideABurst)
{
    uint8_t byte = 0x55;
    uint32_t dword = 0x55;
    EXPECT_EQ(readPortByte(0xE800, byte), 0);
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(readPortDword(0xCFC, dword), 0);
    EXPECT_EQ(writePortByte(0xE800, 1), 0);
    EXPECT_EQ(writePortDword(0xCF8, 0x80000000), 0);
    EXPECT_EQ(channel.portAccesses, 0);

    ASSERT_EQ(openDevice(), 1);
    EXPECT_EQ(writePortByte(0xE800, 1), 1);
    closeDevice();
    EXPECT_EQ(writePortByte(0xE800, 1), 0);
    EXPECT_EQ(channel.portAccesses, 1);
}

TEST_F(BurstTest, TheBusAndPreciseSleepsLastFromOpenToClose)
{
    ASSERT_EQ(openDevice(), 1);
    EXPECT_TRUE(lock.held);
    EXPECT_EQ(lock.waitedMs, 2000u);
    EXPECT_EQ(timing.events, (std::vector<std::string>{"precise"}));
    closeDevice();
    closeDevice();  // a second close gives nothing back twice
    EXPECT_FALSE(lock.held);
    EXPECT_EQ(lock.releases, 1);
    EXPECT_EQ(timing.events, (std::vector<std::string>{"precise", "coarse"}));

    // An open that fails ends its burst at once: nothing stays held for a
    // caller that skips the close (start-up gives up after such an open).
    channel.reloads = false;
    channel.opens = 0;
    channel.failingOpens = 1;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_FALSE(lock.held);
    EXPECT_EQ(timing.events.back(), "coarse");
}

TEST_F(BurstTest, AnotherCopyHoldingTheBusFailsTheOpenWithABox)
{
    lock.free = false;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_EQ(channel.opens, 0) << "the device is not even opened";
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Another copy of the program is using the SMBus.");
    EXPECT_EQ(notifier.boxes[0].caption, "SMBus Error");
    EXPECT_EQ(notifier.boxes[0].icon, kIconWarning);
    EXPECT_TRUE(openRefusedForBus());
    uint8_t byte = 0;
    EXPECT_EQ(readPortByte(0xE800, byte), 0);
    EXPECT_EQ(channel.portAccesses, 0);
    EXPECT_TRUE(timing.events.empty()) << "no precise sleeps were asked for";
    closeDevice();
    EXPECT_EQ(lock.releases, 0);

    // The next open starts afresh: it is no refusal, whether it opens or
    // fails for another reason.
    lock.free = true;
    ASSERT_EQ(openDevice(), 1);
    EXPECT_FALSE(openRefusedForBus());
    closeDevice();
    lock.free = false;
    EXPECT_EQ(openDevice(), 0);
    driverLoaded = 0;
    EXPECT_EQ(openDevice(), 0);
    EXPECT_FALSE(openRefusedForBus()) << "a driver that is not loaded";
}

// A box shown in the middle of a burst would keep the bus and the 1 ms timer
// for as long as its user reads, and its loop would let the window start
// another burst inside this one: boxes wait for the burst's end.
TEST_F(BurstTest, BoxesRaisedInABurstComeAfterItsEnd)
{
    struct LockWatcher final : Notifier {
        explicit LockWatcher(const FakeBusLock& watched) : lock(watched) {}
        void showMessage(const char* text, const char*, uint32_t) override
        {
            shown.push_back(std::string(text) + (lock.held ? " (bus held)" : ""));
        }
        const FakeBusLock& lock;
        std::vector<std::string> shown;
    } watcher(lock);
    installPlatform(Platform{&channel, nullptr, &timing, &watcher, &lock});
    ASSERT_EQ(openDevice(), 1);
    showMessage("first", "c", kIconError);
    uint32_t high = 0;
    uint32_t low = 0;
    channel.ok = 0;
    EXPECT_EQ(readMsr(0x2C, high, low), 0);
    EXPECT_TRUE(watcher.shown.empty());
    closeDevice();
    EXPECT_EQ(watcher.shown, (std::vector<std::string>{"first", "Device does not support the requested API"}));
    showMessage("after", "c", kIconError);
    EXPECT_EQ(watcher.shown.back(), "after") << "outside a burst a box comes at once";
    ASSERT_EQ(openDevice(), 1);
    closeDevice();
    EXPECT_EQ(watcher.shown.size(), 3u) << "a released box is shown once";
}

// A burst's hold belongs to the platform it began under: the next platform
// shows its boxes at once, and never one held for the last.
TEST_F(BurstTest, InstallingAnotherPlatformEndsTheHold)
{
    ASSERT_EQ(openDevice(), 1);
    showMessage("held", "c", kIconError);
    RecordingNotifier next;
    installPlatform(Platform{&channel, nullptr, &timing, &next, &lock});
    showMessage("now", "c", kIconError);
    EXPECT_EQ(next.boxes.size(), 1u);
    closeDevice();
    EXPECT_EQ(next.boxes.size(), 1u) << "only \"now\", and no box of the last platform";
    EXPECT_TRUE(notifier.boxes.empty());
    installPlatform(Platform{&channel, nullptr, &timing, &notifier, &lock});  // `next` ends here
}

}  // namespace

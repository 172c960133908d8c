// The four host transactions against the simulated ICH2 and clock chip:
// exact register traffic, block counts, and the bounded waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/platform.h"
#include "support/sim_fixture.h"

namespace {

// One SMBus register cycle as "w4=D3" (write, offset 4) or "r0=41" (read).
std::vector<std::string> smbusTraffic(const PortLog& log)
{
    std::vector<std::string> lines;
    for (const sim::PortAccess& a : log.accesses) {
        if (a.port < smbusPorts.base || a.port >= smbusPorts.base + 16) continue;
        char text[16];
        std::snprintf(text, sizeof text, "%c%u=%02X", a.write ? 'w' : 'r', a.port - smbusPorts.base, a.value);
        lines.push_back(text);
    }
    return lines;
}

class SmbusTransactionTest : public SimBoardTest {
protected:
    void SetUp() override
    {
        SimBoardTest::SetUp();
        bringUp();
        scanPciBus();
        findSmbusController();
        ASSERT_EQ(smbusPorts.base, 0xE800u);
        log.accesses.clear();
    }
    // Keeps smbusPorts from the stock board and swaps in a faulty one.
    void useFault(const char* text)
    {
        useScenario(text);
        log.accesses.clear();
    }
    sim::ClockChip& chip() { return board().clockChip(); }
};

// The simulated channel with one read of one port failing, as a device
// request that fails once: that read never reaches the port.
class OneFailedRead final : public ChannelBackend {
public:
    OneFailedRead(ChannelBackend& inner, uint32_t port, uint32_t occurrence)
        : inner_(inner), port_(port), occurrence_(occurrence)
    {
    }
    int32_t loadDriver() override { return inner_.loadDriver(); }
    void unloadDriver() override { inner_.unloadDriver(); }
    int32_t openDevice() override { return inner_.openDevice(); }
    bool reloadOnOpenFailure() const override { return inner_.reloadOnOpenFailure(); }
    void closeDevice() override { inner_.closeDevice(); }
    int32_t inByte(uint32_t port, uint8_t& value) override
    {
        if (port == port_ && ++reads_ == occurrence_) return 0;
        return inner_.inByte(port, value);
    }
    int32_t inDword(uint32_t port, uint32_t& value) override { return inner_.inDword(port, value); }
    int32_t outByte(uint32_t port, uint8_t value) override { return inner_.outByte(port, value); }
    int32_t outDword(uint32_t port, uint32_t value) override { return inner_.outDword(port, value); }
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override
    {
        return inner_.readMsr(index, low, high);
    }

private:
    ChannelBackend& inner_;
    uint32_t port_;
    uint32_t occurrence_;
    uint32_t reads_ = 0;
};

// The word transfer's tail: start, busy wait (busy on the first poll), flag
// clear writing back the whole byte: interrupt and the in-use bit 0x40.
const std::vector<std::string> kWordTail = {"r2=0C", "w2=4C", "r0=41", "r0=42", "r0=42", "w0=42", "r0=00"};

TEST_F(SmbusTransactionTest, WordReadTrafficAndBytes)
{
    uint8_t first = 0xAA;
    uint8_t second = 0xAA;
    EXPECT_EQ(smbusReadWord(0xD3, 18, first, second), 1);
    std::vector<std::string> expected = {"w4=D3", "w3=12", "r2=00", "w2=0C", "r0=00"};
    expected.insert(expected.end(), kWordTail.begin(), kWordTail.end());
    expected.insert(expected.end(), {"r5=11", "r6=83"});
    EXPECT_EQ(smbusTraffic(log), expected);
    EXPECT_EQ(first, 0x11) << "the chip's count byte";
    EXPECT_EQ(second, 0x83) << "register 18 at 133.0 MHz";
}

TEST_F(SmbusTransactionTest, WordWriteTrafficReachesTheRegister)
{
    EXPECT_EQ(smbusWriteWord(0xD2, 16, 0x11, 0x00), 1);
    std::vector<std::string> expected = {"w4=D2", "w3=10", "w5=11", "w6=00", "r2=00", "w2=0C", "r0=00"};
    expected.insert(expected.end(), kWordTail.begin(), kWordTail.end());
    EXPECT_EQ(smbusTraffic(log), expected);
    EXPECT_EQ(chip().reg(16), 0x00);
}

struct ReadBlockCase {
    uint8_t reported;
    int32_t returned;
    uint32_t stored;
};

// Device counts 0 and 1 still move one byte; above 32 is cut to 32.
const ReadBlockCase kReadBlockCases[] = {{0, 0, 1}, {1, 1, 1}, {17, 17, 17}, {40, 32, 32}};

TEST_F(SmbusTransactionTest, BlockReadFollowsTheReportedCount)
{
    for (const ReadBlockCase& c : kReadBlockCases) {
        SCOPED_TRACE(testing::Message() << "device count " << int{c.reported});
        useFault("");
        chip().setReportedBlockCount(c.reported);
        uint8_t buffer[40];
        std::fill(std::begin(buffer), std::end(buffer), uint8_t{0xEE});
        EXPECT_EQ(smbusReadBlock(0xD3, 0, buffer), c.returned);
        for (uint32_t i = 0; i < c.stored; ++i) EXPECT_EQ(buffer[i], chip().reg(i)) << "byte " << i;
        EXPECT_EQ(buffer[c.stored], 0xEE) << "nothing stored past the count";

        // One pass per byte: the control value it writes, and the status
        // that ended its wait (the last status read before block data).
        std::vector<uint8_t> controls;
        std::vector<uint8_t> waitEnds;
        uint8_t lastStatus = 0;
        for (const sim::PortAccess& a : log.accesses) {
            const uint32_t offset = a.port - smbusPorts.base;
            if (a.write && offset == 2 && (a.value & 0x40) == 0) controls.push_back(static_cast<uint8_t>(a.value));
            if (!a.write && offset == 0) lastStatus = static_cast<uint8_t>(a.value);
            if (!a.write && offset == 7) waitEnds.push_back(lastStatus);
        }
        ASSERT_EQ(controls.size(), c.stored);
        ASSERT_EQ(waitEnds.size(), c.stored);
        for (uint32_t pass = 1; pass <= c.stored; ++pass) {
            const bool last = c.stored >= 2 && pass == c.stored;
            EXPECT_EQ(controls[pass - 1], last ? 0x34 : 0x14) << "pass " << pass;
            if (last) EXPECT_EQ(waitEnds[pass - 1] & 0x01, 0) << "last pass waits for busy to drop";
            else EXPECT_NE(waitEnds[pass - 1] & 0x80, 0) << "pass " << pass << " waits for byte done";
        }
    }
}

TEST_F(SmbusTransactionTest, BlockWriteSendsCountThenEveryByte)
{
    uint8_t buffer[17];
    for (uint8_t i = 0; i < 17; ++i) buffer[i] = static_cast<uint8_t>(0xA0 + i);
    EXPECT_EQ(smbusWriteBlock(0xD2, 0, buffer, 17), 17);
    std::vector<uint8_t> sent;
    uint32_t controlWrites = 0;
    for (const sim::PortAccess& a : log.accesses) {
        const uint32_t offset = a.port - smbusPorts.base;
        if (a.write && offset == 7) sent.push_back(static_cast<uint8_t>(a.value));
        if (a.write && offset == 2 && a.value == 0x14) ++controlWrites;
        EXPECT_FALSE(a.write && offset == 2 && a.value == 0x34) << "a block write never sets last byte";
    }
    EXPECT_EQ(sent, std::vector<uint8_t>(buffer, buffer + 17));
    EXPECT_EQ(controlWrites, 17u);
    EXPECT_EQ(smbusTraffic(log)[2], "w5=11");
    for (uint32_t i = 0; i < 17; ++i) EXPECT_EQ(chip().reg(i), buffer[i]);
    EXPECT_EQ(chip().blockWrites(), 1u);
}

TEST_F(SmbusTransactionTest, BlockWriteOfNothingStartsNothing)
{
    EXPECT_EQ(smbusWriteBlock(0xD2, 0, nullptr, 0), 0);
    EXPECT_EQ(smbusTraffic(log), (std::vector<std::string>{"w4=D2", "w3=00", "w5=00"}));
}

TEST_F(SmbusTransactionTest, DeviceErrorIsAFailure)
{
    useFault("fault=nodevice");
    const uint64_t before = board().clock().nowNs();
    uint8_t first = 1;
    uint8_t second = 1;
    EXPECT_EQ(smbusReadWord(0xD3, 18, first, second), 0);
    EXPECT_EQ(smbusWriteWord(0xD2, 18, 0, 0x90), 0) << "the error flag was cleared; this one fails afresh";
    uint8_t buffer[32] = {};
    EXPECT_EQ(smbusReadBlock(0xD3, 0, buffer), 0);
    EXPECT_LT(board().clock().nowNs() - before, 10'000'000u) << "errors end the waits at once";
}

// Each fault leaves a wait unanswered; every transaction gives up after the
// bound with 0, and the next one still runs.
TEST_F(SmbusTransactionTest, WaitsGiveUpWithinTheBound)
{
    struct FaultCase {
        const char* fault;
        int32_t word;  // a word read after the two block transfers
    };
    const FaultCase faults[] = {{"fault=stuckbusy", 0}, {"fault=nobytedone", 0}, {"fault=portfail", 0}};
    for (const FaultCase& f : faults) {
        SCOPED_TRACE(f.fault);
        useFault(f.fault);
        uint8_t block[32] = {};
        const uint64_t before = board().clock().nowNs();
        const int32_t read = smbusReadBlock(0xD3, 0, block);
        const int32_t written = smbusWriteBlock(0xD2, 0, block, 17);
        uint8_t first = 0;
        uint8_t second = 0;
        const int32_t word = smbusReadWord(0xD3, 18, first, second);
        const uint64_t elapsedMs = (board().clock().nowNs() - before) / 1000000u;
        EXPECT_EQ(read, 0);
        EXPECT_EQ(written, 0);
        EXPECT_EQ(word, f.word);
        EXPECT_LE(elapsedMs, 3u * 510u) << "three transactions, one bound each at most";
    }
}

// A controller that ends a count-0 block read with interrupt alone: the
// byte-done wait ends there, not at the bound, and the bus is free again.
TEST_F(SmbusTransactionTest, ABlockReadEndedWithoutByteDoneEndsTheWait)
{
    useFault("fault=emptyblock");
    uint8_t buffer[32] = {};
    const uint64_t before = board().clock().nowNs();
    EXPECT_EQ(smbusReadBlock(0xD3, 0, buffer), 0);
    EXPECT_LT(board().clock().nowNs() - before, 10'000'000u) << "within a few polls";
    uint8_t first = 0;
    uint8_t second = 0;
    EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 1);
    EXPECT_EQ(second, chip().reg(31));
}

// Ends that are no completion, though the controller let go of the bus: a
// failed flag with interrupt beside it, a block ended before its count. The
// next transaction runs as usual.
TEST_F(SmbusTransactionTest, EndsThatLookCompleteButAreNot)
{
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t block[32] = {};
    useFault("failtx=1 fault=failintr");
    EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 0);
    useFault("failtx=1 fault=failintr");
    EXPECT_EQ(smbusWriteWord(0xD2, 31, 17, 0xD4), 0);
    useFault("fault=shortblock");
    const uint64_t before = board().clock().nowNs();
    EXPECT_EQ(smbusReadBlock(0xD3, 0, block), 0);
    for (uint32_t i = 0; i < 17; ++i) block[i] = chip().reg(i);
    block[16] = 0x5A;
    EXPECT_EQ(smbusWriteBlock(0xD2, 0, block, 17), 0);
    EXPECT_NE(chip().reg(16), 0x5A) << "the block's last byte never went out";
    EXPECT_LT(board().clock().nowNs() - before, 20'000'000u) << "no wait ran to its bound";
    EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 1);
    EXPECT_EQ(second, chip().reg(31));
}

// A data register whose read failed holds nothing the device sent: the
// transaction delivers nothing, and what it reports is no completion.
TEST_F(SmbusTransactionTest, AFailedDataReadDeliversNothing)
{
    struct Case {
        const char* what;
        bool block;
        uint32_t offset;      // of the register whose read fails
        uint32_t occurrence;  // its nth read
    };
    const Case cases[] = {
        {"word, first byte", false, 5, 1}, {"word, second byte", false, 6, 1}, {"block, count", true, 5, 1},
        {"block, first byte", true, 7, 1}, {"block, ninth byte", true, 7, 9},  {"block, last byte", true, 7, 17},
    };
    std::vector<SmbusExchange> reported;
    const auto record = [](const SmbusExchange& e, void* to) {
        static_cast<std::vector<SmbusExchange>*>(to)->push_back(e);
    };
    setSmbusExchangeHook(record, &reported);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useFault("");
        OneFailedRead failing(machine->channel, smbusPorts.base + c.offset, c.occurrence);
        Platform platform = machine->platform(notifier);
        platform.channel = &failing;
        installPlatform(platform);
        reported.clear();
        if (c.block) {
            uint8_t buffer[32];
            std::fill(std::begin(buffer), std::end(buffer), uint8_t{0xEE});
            EXPECT_EQ(smbusReadBlock(0xD3, 0, buffer), 0);
            // Without its count the block has no first byte either.
            if (c.offset == 5) {
                EXPECT_EQ(buffer[0], 0xEE) << "a byte stored";
            }
        } else {
            uint8_t first = 0xEE;
            uint8_t second = 0xEE;
            EXPECT_EQ(smbusReadWord(0xD3, 18, first, second), 0);
        }
        EXPECT_EQ(reported.size(), 1u);
        for (const SmbusExchange& e : reported) {
            EXPECT_NE(e.outcome, SmbusOutcome::Done);
            EXPECT_EQ(e.count, 0);
        }
    }
    setSmbusExchangeHook(nullptr, nullptr);
    installPlatform(machine->platform(notifier));
}

// An interrupt flag left standing from before (by an earlier owner of the
// bus, or a transaction given up): pass 1's flag clear reads it before this
// transfer starts, and a one-byte write still waits for its own end.
TEST_F(SmbusTransactionTest, EndFlagsFromBeforeTheStartAreNotItsEnd)
{
    const uint32_t base = smbusPorts.base;
    writePortByte(base + 4, 0xD3);  // a word read of register 31, driven by hand
    writePortByte(base + 3, 31);
    writePortByte(base + 2, 0x0C | 0x40);
    platformTiming().sleepMs(2);
    uint8_t status = 0;
    readPortByte(base, status);
    ASSERT_EQ(status & 0x03, 0x02) << "ended, its interrupt flag standing";
    const uint8_t byte = chip().reg(0);
    EXPECT_EQ(smbusWriteBlock(0xD2, 0, &byte, 1), 1);
    EXPECT_EQ(chip().blockWrites(), 1u) << "returned before the byte went out";
}

TEST_F(SmbusTransactionTest, WordTransfersStillWorkOnTheStrictController)
{
    useFault("fault=strictend");
    uint8_t first = 0;
    uint8_t second = 0;
    EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 1);
    EXPECT_EQ(second, chip().reg(31));
}

}  // namespace

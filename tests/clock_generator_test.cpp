// The clock generator's read and programming sequences against the
// simulated clock chip, and their failures on faulty boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "clock/clock_generator.h"
#include "clock/clock_generator_steps.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "support/sim_fixture.h"

namespace {

struct SeenTransaction {
    sim::SmbusTransaction t;
    uint64_t atNs;
};

class TransactionLog final : public sim::SmbusObserver {
public:
    explicit TransactionLog(sim::Board& board) : board_(board) {}
    void onSmbusTransaction(const sim::SmbusTransaction& t) override { seen.push_back({t, board_.clock().nowNs()}); }
    // "r18" word read, "w20" word write, "rb0"/"wb0" block read/write.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const SeenTransaction& s : seen) {
            std::string name = (s.t.address & 1) != 0 ? "r" : "w";
            if (s.t.protocol == sim::kSmbBlock) name += "b";
            out.push_back(name + std::to_string(s.t.command));
        }
        return out;
    }
    std::vector<SeenTransaction> seen;

private:
    sim::Board& board_;
};

class ClockGeneratorTest : public SimBoardTest {
protected:
    void SetUp() override
    {
        SimBoardTest::SetUp();
        bringUp();
        scanPciBus();
        findSmbusController();
        ASSERT_NE(smbusPorts.base, 0u);
        board().setSmbusObserver(&transactions);
    }
    void TearDown() override
    {
        board().setSmbusObserver(nullptr);
        SimBoardTest::TearDown();
    }
    sim::ClockChip& chip() { return board().clockChip(); }
    uint8_t field() { return static_cast<uint8_t>(chip().reg(31) >> 3 & 7); }

    TransactionLog transactions{board()};
};

struct ApplyCase {
    float fsb;
    RatioCode ratio;
    uint8_t r18, r20;
    uint8_t field;  // 2 is the stock field, kept by codes without a value
    float readBack;
};

const ApplyCase kApplyCases[] = {
    {133.5f, 3, 0x83, 0x84, 1, 133.5f},
    {100.0f, kRatioFixed, 0x62, 0x62, 7, 100.0f},
    {257.0f, 2, 0xFF, 0xFF, 0, 257.0f},
    {2.0f, 8, 0x00, 0x00, 6, 2.0f},
    {133.3f, 4, 0x83, 0x83, 2, 133.0f},   // tenths are dropped
    {133.75f, 4, 0x83, 0x84, 2, 133.5f},  // quarter MHz too
    {150.0f, 0, 0x94, 0x94, 2, 150.0f},   // codes without a field value
    {150.0f, 1, 0x94, 0x94, 2, 150.0f},
    {150.0f, 9, 0x94, 0x94, 2, 150.0f},
};

TEST_F(ClockGeneratorTest, ApplyProgramsTheRegistersAndReadsBack)
{
    for (const ApplyCase& c : kApplyCases) {
        SCOPED_TRACE(testing::Message() << c.fsb << " MHz, ratio " << c.ratio);
        useScenario("");
        chip().setReg(16, 0x5A);
        EXPECT_EQ(applyClockSetting(c.fsb, c.ratio), 1);
        EXPECT_EQ(chip().reg(18), c.r18);
        EXPECT_EQ(chip().reg(20), c.r20);
        EXPECT_EQ(field(), c.field);
        // The chip comes up with bits 7..6 and 2 set (bit 6 by the BIOS).
        EXPECT_EQ(chip().reg(31) & 0xC7, 0xC4 | 0x03) << "bits 7..6 and 2 kept, 1..0 set";
        EXPECT_EQ(chip().reg(16), 0);
        EXPECT_EQ(board().runningFsbHalfMhz(), static_cast<uint16_t>(c.readBack * 2));
        currentSetting = ClockSetting{0.0f, 0};
        EXPECT_EQ(readClockSetting(), 1);
        EXPECT_EQ(currentSetting.fsbMhz, c.readBack);
        EXPECT_EQ(currentSetting.ratioCode, sim::ratioCodeOfField(c.field));
    }
}

TEST_F(ClockGeneratorTest, ReadDecodesTheDividerField)
{
    const RatioCode expected[8] = {2, 3, 4, 5, 6, 7, 8, kRatioFixed};
    for (uint8_t f = 0; f < 8; ++f) {
        chip().setReg(31, static_cast<uint8_t>(0xC4 | f << 3));
        chip().setReg(18, 0x83);
        chip().setReg(20, 0x84);
        EXPECT_EQ(readClockSetting(), 1);
        EXPECT_EQ(currentSetting.ratioCode, expected[f]) << "field " << int{f};
        EXPECT_EQ(currentSetting.fsbMhz, 133.5f);
    }
}

TEST_F(ClockGeneratorTest, ApplyTrafficInOrderWithThePauseAndEchoedBytes)
{
    ASSERT_EQ(applyClockSetting(133.5f, 3), 1);
    // Both FSB registers are read before either is written.
    const std::vector<std::string> expected = {"rb0", "wb0", "r18", "r20", "w18", "w20", "r18", "r20",
                                               "r31", "w31", "r31", "r31", "w31", "r31", "w16"};
    EXPECT_EQ(transactions.names(), expected);
    const std::vector<SeenTransaction>& seen = transactions.seen;
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_GE(seen[11].atNs - seen[10].atNs, 500'000'000u) << "the pause before the divider";
    for (const SeenTransaction& s : seen) {
        EXPECT_EQ(s.t.result, sim::SmbusResult::Done);
        if (s.t.protocol == sim::kSmbWordData && (s.t.address & 1) == 0) {
            EXPECT_EQ(s.t.data[0], sim::ClockChip::kBlockLength) << "writes echo the first byte the chip sent";
        }
    }
}

TEST_F(ClockGeneratorTest, ReadTrafficInOrderAndThePreparationBlock)
{
    const uint8_t head[8] = {0x41, 0x32, 0x5A, 0x00, 0x7F, 0x21, 0x40, 0x13};
    for (uint32_t i = 0; i < 8; ++i) chip().setReg(i, head[i]);
    ASSERT_EQ(readClockSetting(), 1);
    EXPECT_EQ(transactions.names(),
              (std::vector<std::string>{"rb0", "wb0", "r18", "r20", "r31", "r31", "w16"}));
    const sim::SmbusTransaction& block = transactions.seen[1].t;
    ASSERT_EQ(block.count, 18) << "count byte and 17 bytes";
    const uint8_t expected[18] = {17,   0x41, 0x32, 0x5A, 0x00, 0x7F, 0x21, 0x40, 0x13,
                                  0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};
    for (uint32_t i = 0; i < 18; ++i) EXPECT_EQ(block.data[i], expected[i]) << "byte " << i;
}

TEST_F(ClockGeneratorTest, UnusableFsbIsRefusedWithoutTraffic)
{
    const float refused[] = {std::numeric_limits<float>::quiet_NaN(), 1.5f, 257.5f, 1e9f, -133.0f,
                             std::numeric_limits<float>::infinity()};
    currentSetting = ClockSetting{150.0f, 5};
    log.accesses.clear();
    for (float fsb : refused) EXPECT_EQ(applyClockSetting(fsb, 4), 0) << fsb;
    EXPECT_TRUE(log.accesses.empty());
    EXPECT_EQ(board().runningFsbHalfMhz(), 266);
    EXPECT_EQ(currentSetting.fsbMhz, 150.0f);
}

// Every fault ends both sequences with 0, inside the wait bound, without
// touching currentSetting or the running clock.
TEST_F(ClockGeneratorTest, FaultsEndWithinTheBoundAndLeaveTheSettingAlone)
{
    const char* faults[] = {"fault=stuckbusy", "fault=nobytedone", "fault=nodevice", "fault=portfail"};
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        useScenario(fault);
        currentSetting = ClockSetting{150.0f, 5};
        const uint64_t before = board().clock().nowNs();
        EXPECT_EQ(readClockSetting(), 0);
        EXPECT_EQ(applyClockSetting(200.0f, 3), 0);
        EXPECT_LE((board().clock().nowNs() - before) / 1000000u, 2u * 550u) << "one bound per sequence, and the bytes before it";
        EXPECT_EQ(currentSetting.fsbMhz, 150.0f);
        EXPECT_EQ(currentSetting.ratioCode, 5);
        EXPECT_EQ(board().runningFsbHalfMhz(), 266) << "a failed block read ends the sequence";
        EXPECT_EQ(board().runningRatioCode(), 4);
    }
}

// A channel that takes half a millisecond per port access, as a driver
// request does under Wine: the last-byte bit of a block read then comes
// after the last byte has left, and the controller holds the bus for one
// byte more.
class SlowChannel final : public ChannelBackend {
public:
    SlowChannel(ChannelBackend& inner, sim::Board& board) : inner_(inner), board_(board) {}
    int32_t loadDriver() override { return inner_.loadDriver(); }
    void unloadDriver() override { inner_.unloadDriver(); }
    int32_t openDevice() override { return inner_.openDevice(); }
    bool reloadOnOpenFailure() const override { return inner_.reloadOnOpenFailure(); }
    void closeDevice() override { inner_.closeDevice(); }
    int32_t inByte(uint32_t port, uint8_t& value) override { return slow(), inner_.inByte(port, value); }
    int32_t inDword(uint32_t port, uint32_t& value) override { return slow(), inner_.inDword(port, value); }
    int32_t outByte(uint32_t port, uint8_t value) override { return slow(), inner_.outByte(port, value); }
    int32_t outDword(uint32_t port, uint32_t value) override { return slow(), inner_.outDword(port, value); }
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override
    {
        return inner_.readMsr(index, low, high);
    }

private:
    void slow() { board_.clock().advanceNs(500000); }
    ChannelBackend& inner_;
    sim::Board& board_;
};

// Both sequences end as on the stock board on a controller that waits for
// byte done to be cleared after a block's last byte, and over a slow channel.
TEST_F(ClockGeneratorTest, BlockEndsHeldByTheControllerStillComplete)
{
    SlowChannel slow(machine->channel, board());
    const char* variants[] = {"fault=strictend", "slow channel"};
    for (const char* variant : variants) {
        SCOPED_TRACE(variant);
        const bool slowChannel = std::string(variant) == "slow channel";
        useScenario(slowChannel ? "" : variant);
        if (slowChannel) installPlatform(Platform{&slow, &machine->processor, &machine->timing, &notifier});
        currentSetting = ClockSetting{};
        EXPECT_EQ(readClockSetting(), 1);
        EXPECT_EQ(currentSetting.fsbMhz, 133.0f);
        EXPECT_EQ(currentSetting.ratioCode, 4);
        EXPECT_EQ(applyClockSetting(150.0f, 5), 1);
        EXPECT_EQ(board().runningFsbHalfMhz(), 300);
        EXPECT_EQ(board().runningRatioCode(), 5);
        EXPECT_EQ(readClockSetting(), 1);
        EXPECT_EQ(currentSetting.fsbMhz, 150.0f);
        EXPECT_EQ(currentSetting.ratioCode, 5);
        uint8_t first = 0;
        uint8_t second = 0;
        EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 1) << "the controller is free again";
        installPlatform(machine->platform(notifier));
    }
}

// Faults in the middle of a sequence: each sequence ends within the wait
// bounds, reports the failure, and never takes a value it did not read.
class MidSequenceFaults : public ClockGeneratorTest {
protected:
    // Rebuilds the board with the fault; "failfrom" counts from now on.
    void useFault(const std::string& fault, uint32_t portOperationsFromNow = 0)
    {
        std::string text = fault;
        if (portOperationsFromNow != 0)
            text += " failfrom=" + std::to_string(machine->channel.portOperations() + portOperationsFromNow);
        useScenario(text.c_str());
    }
    // Port operations of one preparation step (block read and write).
    uint32_t preparationOperations()
    {
        const uint32_t before = machine->channel.portOperations();
        EXPECT_EQ(prepareControlBlock(), Preparation::Done);
        return machine->channel.portOperations() - before;
    }
};

TEST_F(MidSequenceFaults, ReadingFailsOnAFailedWordReadAfterTheBlock)
{
    const uint32_t preparation = preparationOperations();
    // Into the reads of registers 18, 20 and 31; register 16's write after
    // them is housekeeping.
    for (uint32_t into : {5u, 20u, 35u}) {
        SCOPED_TRACE(into);
        useFault("", preparation + into);
        currentSetting = ClockSetting{150.0f, 5};
        const uint64_t before = board().clock().nowNs();
        EXPECT_EQ(readClockSetting(), 0);
        EXPECT_EQ(currentSetting.fsbMhz, 150.0f) << "nothing taken from a failed read";
        EXPECT_EQ(currentSetting.ratioCode, 5);
        EXPECT_LE((board().clock().nowNs() - before) / 1000000u, 550u);
    }
}

// One word read after the block fails alone (it ends with the failed flag);
// everything around it works.
TEST_F(MidSequenceFaults, OneFailedWordReadFailsTheWholeReading)
{
    for (const char* fault : {"failtx=3", "failtx=4", "failtx=5"}) {  // registers 18, 20, 31
        SCOPED_TRACE(fault);
        useFault(fault);
        currentSetting = ClockSetting{150.0f, 5};
        EXPECT_EQ(readClockSetting(), 0);
        EXPECT_EQ(currentSetting.fsbMhz, 150.0f);
        EXPECT_EQ(currentSetting.ratioCode, 5);
        EXPECT_EQ(readClockSetting(), 1) << "the next reading is whole";
        EXPECT_EQ(currentSetting.fsbMhz, 133.0f);
    }
}

// Whatever single step fails, the chip ends at the old setting or at the
// new one: a failure after the first write puts the old registers back,
// and register 16 is cleared as long as the bus answers.
TEST_F(MidSequenceFaults, EveryFailureEndsAtTheOldSettingOrTheNewOne)
{
    std::vector<std::string> faults{"fault=droplowbits"};
    for (int n = 1; n <= 16; ++n) faults.push_back("failtx=" + std::to_string(n));
    for (const char* kind : {"nakreg=", "stuckreg="})
        for (int reg : {18, 20, 31}) faults.push_back(kind + std::to_string(reg));
    for (const std::string& fault : faults) {
        SCOPED_TRACE(fault);
        useFault(fault);
        chip().setReg(16, 0x5A);
        const uint64_t before = board().clock().nowNs();
        const ProgramEnd end = programClockSetting(150.0f, 5);
        EXPECT_LE((board().clock().nowNs() - before) / 1000000u, 1150u)
            << "the 500 ms pause, one more on an FSB-first way back, and no wait to its bound";
        const bool isNew = board().runningFsbHalfMhz() == 300 && board().runningRatioCode() == 5;
        const bool isOld = board().runningFsbHalfMhz() == 266 && board().runningRatioCode() == 4;
        EXPECT_TRUE(isNew || isOld) << board().runningFsbHalfMhz() << " half MHz, divider " << board().runningRatioCode();
        EXPECT_EQ(end == ProgramEnd::Applied, isNew);
        EXPECT_TRUE(end == ProgramEnd::Applied || nothingWritten(end) || end == ProgramEnd::RolledBack);
        EXPECT_EQ(end == ProgramEnd::BlockRefused, fault == "failtx=2") << "the control block's write";
        EXPECT_EQ(chip().reg(31) & 0xC4, 0xC4) << "bits 7..6 and 2 kept whatever failed";
        // The block read failed: nothing written. The last write failed: the
        // control block's 3 stays.
        const uint8_t r16 = fault == "failtx=1" ? 0x5A : fault == "failtx=15" ? 0x03 : 0x00;
        EXPECT_EQ(chip().reg(16), r16);
    }
}

// The divider changes only once both FSB registers hold the new FSB: a
// divider chosen for the new FSB on the old one could run PCI too fast.
// A control block written in part stops programming before any register,
// and a reading that stopped half-way still clears register 16.
TEST_F(MidSequenceFaults, EachStepWaitsForTheOneBeforeIt)
{
    struct Case {
        const char* fault;
        bool programs;  // false: a reading
        const char* neverWritten;
    };
    const Case cases[] = {
        {"stuckreg=18", true, "w31"}, {"stuckreg=20", true, "w31"},  // the FSB does not hold
        {"failtx=7", true, "w31"},    {"failtx=8", true, "w31"},     // its read-back fails
        {"failtx=2", true, "w18"},    {"nakreg=16", true, "w18"},    // the control block in part
        {"failtx=2", false, nullptr}, {"failtx=4", false, nullptr}, {"failtx=5", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.programs ? ", programming" : ", reading"));
        useFault(c.fault);
        chip().setReg(16, 0x5A);
        transactions.seen.clear();
        if (c.programs) {
            EXPECT_NE(programClockSetting(150.0f, 5), ProgramEnd::Applied);
            const std::vector<std::string> names = transactions.names();
            EXPECT_EQ(std::find(names.begin(), names.end(), c.neverWritten), names.end()) << testing::PrintToString(names);
        } else {
            EXPECT_EQ(readClockSetting(), 0);
            EXPECT_EQ(chip().reg(16), 0) << "register 16 cleared after a reading that failed";
        }
        EXPECT_EQ(board().runningFsbHalfMhz(), 266);
    }
}

// When the bus stops answering half-way, the old registers cannot be put
// back: the sequence says so, within the wait bounds.
TEST_F(MidSequenceFaults, ABusThatStopsAnsweringLeavesAMixOrNothingDone)
{
    const uint32_t preparation = preparationOperations();
    struct Case {
        uint32_t into;
        ProgramEnd end;
    };
    const Case cases[] = {
        {10, ProgramEnd::Untouched},                // the block read
        {preparation + 20, ProgramEnd::Untouched},  // the old FSB registers' reads
        {preparation + 60, ProgramEnd::Mixed},      // the FSB writes
        {preparation + 150, ProgramEnd::Mixed},     // after the pause
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.into);
        useFault("", c.into);
        const uint64_t before = board().clock().nowNs();
        EXPECT_EQ(programClockSetting(150.0f, 5), c.end);
        EXPECT_LE((board().clock().nowNs() - before) / 1000000u, 1200u) << "at most two bounds and the pause";
    }
}

// The completion check and the block write's last status count: a device
// error with the interrupt flag standing beside it is no success.
TEST_F(MidSequenceFaults, ARefusedByteIsAFailureEvenWithInterruptSet)
{
    useFault("nakreg=18");
    EXPECT_EQ(smbusWriteWord(0xD2, 18, 0x11, 0x90), 0);
    EXPECT_EQ(chip().reg(18), 131);
    useFault("nakreg=16");
    uint8_t block[32] = {};
    for (uint8_t i = 0; i < 17; ++i) block[i] = chip().reg(i);
    EXPECT_EQ(smbusWriteBlock(0xD2, 0, block, 17), 0) << "the last byte was refused";
    uint8_t first = 0;
    uint8_t second = 0;
    EXPECT_EQ(smbusReadWord(0xD3, 31, first, second), 1) << "the controller is free again";
}

}  // namespace

// The ways back, replayed state by state on the simulated board: a rollback
// after any pair of faults, and a revert of new clocks the user did not keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clock/clock_generator.h"
#include "clock/smbus.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "support/sim_fixture.h"

namespace {

struct RunningState {
    uint32_t fsbHalfMhz;
    int32_t ratio;
    bool operator==(const RunningState& other) const { return fsbHalfMhz == other.fsbHalfMhz && ratio == other.ratio; }
};

void PrintTo(const RunningState& s, std::ostream* os) { *os << s.fsbHalfMhz * 0.5 << "/" << s.ratio; }

double pciMhz(const RunningState& s) { return s.ratio == -1 ? 33.34 : s.fsbHalfMhz * 0.5 / s.ratio; }

// Every clock the board ran at, in order: the chip's PLL follows each
// register write at once.
class StateLog final : public sim::SmbusObserver {
public:
    explicit StateLog(sim::Board& board) : board_(board) {}
    void onSmbusTransaction(const sim::SmbusTransaction&) override
    {
        const RunningState now{board_.runningFsbHalfMhz(), board_.runningRatioCode()};
        if (states.empty() || !(states.back() == now)) states.push_back(now);
    }
    std::vector<RunningState> states;

private:
    sim::Board& board_;
};

// A change from one setting to another.
struct Move {
    const char* name;
    RunningState from;
    float toFsb;
    int32_t toRatio;
    // The states a revert passes through, from the new setting to the old.
    std::vector<RunningState> revert;
};

const Move kMoves[] = {
    // A declined down-clock restores the divider first...
    {"down", {266, 4}, 100.0f, 3, {{200, 3}, {200, 4}, {233, 4}, {266, 4}}},
    // ...and a declined up-clock the FSB first.
    {"up", {266, 4}, 150.0f, 5, {{300, 5}, {283, 5}, {266, 5}, {266, 4}}},
    {"up to a half MHz", {266, 4}, 150.5f, 5, {{301, 5}, {284, 5}, {266, 5}, {266, 4}}},
    {"down from a half MHz", {301, 4}, 133.0f, 3, {{266, 3}, {266, 4}, {283, 4}, {301, 4}}},
    {"fixed to a divider", {200, -1}, 150.0f, 5, {{300, 5}, {250, 5}, {200, 5}, {200, -1}}},
    {"same divider", {266, 4}, 140.0f, 4, {{280, 4}, {273, 4}, {266, 4}}},
};

class WaysBack : public SimBoardTest {
protected:
    void SetUp() override
    {
        SimBoardTest::SetUp();
        board().setObserver(nullptr);  // no port log: thousands of sequences
        bringUp();
        scanPciBus();
        findSmbusController();
        ASSERT_NE(smbusPorts.base, 0u);
        board().setSmbusObserver(&log_);
    }
    void TearDown() override
    {
        board().setSmbusObserver(nullptr);
        SimBoardTest::TearDown();
    }
    void start(const Move& move, const std::string& faults)
    {
        const std::string fsb = std::to_string(move.from.fsbHalfMhz / 2) + (move.from.fsbHalfMhz % 2 ? ".5" : "");
        useScenario(("fsb=" + fsb + " ratio=" + std::to_string(move.from.ratio) + " " + faults).c_str());
        log_.states.clear();
    }
    RunningState running() { return RunningState{board().runningFsbHalfMhz(), board().runningRatioCode()}; }
    // No state faster than the two ends' FSB, nor a PCI clock above the
    // highest one the way there ran (FSB first, then the divider).
    void expectWithinTheWayThere(const Move& move, const RunningState& to)
    {
        const uint32_t maxFsb = std::max(move.from.fsbHalfMhz, to.fsbHalfMhz);
        const double maxPci =
            std::max({pciMhz(move.from), pciMhz(RunningState{to.fsbHalfMhz, move.from.ratio}), pciMhz(to)});
        for (const RunningState& s : log_.states) {
            EXPECT_LE(s.fsbHalfMhz, maxFsb) << testing::PrintToString(log_.states);
            EXPECT_LE(pciMhz(s), maxPci + 1e-9) << testing::PrintToString(log_.states);
        }
    }

    StateLog log_{board()};
};

RunningState target(const Move& move)
{
    return RunningState{static_cast<uint32_t>(move.toFsb * 2), move.toRatio};
}

// Every single fault and every pair (a failed transaction with a refusing
// or forgetful register, or two failed transactions): while the bus
// answers, the chip ends at the old setting or the new one, and no state on
// the way runs faster than the way there.
TEST_F(WaysBack, AfterAnyPairOfFaultsTheChipHoldsTheOldSettingOrTheNewOne)
{
    constexpr int kLastTransaction = 34;  // past the longest rollback
    std::vector<std::string> faults;
    for (const char* kind : {"nakreg=", "stuckreg="})
        for (int reg : {16, 18, 20, 31}) faults.push_back(kind + std::to_string(reg));
    const size_t registerFaults = faults.size();
    for (int n = 1; n <= kLastTransaction; ++n) {
        faults.push_back("failtx=" + std::to_string(n));
        for (size_t r = 0; r < registerFaults; ++r) faults.push_back(faults[r] + " failtx=" + std::to_string(n));
        for (int m = n + 1; m <= kLastTransaction; ++m)
            faults.push_back("failtx=" + std::to_string(n) + "," + std::to_string(m));
    }
    for (const Move& move : {kMoves[0], kMoves[2], kMoves[3]}) {
        for (const std::string& fault : faults) {
            SCOPED_TRACE(std::string(move.name) + ": " + fault);
            start(move, fault);
            const ClockRegisters old{board().clockChip().reg(18), board().clockChip().reg(20),
                                     board().clockChip().reg(31)};
            const ProgramEnd end = programClockSetting(move.toFsb, move.toRatio);
            const bool isNew = running() == target(move);
            const bool isOld = running() == move.from;
            ASSERT_TRUE(isNew || isOld) << testing::PrintToString(running());
            EXPECT_EQ(end == ProgramEnd::Applied, isNew);
            EXPECT_NE(end, ProgramEnd::Mixed);
            expectWithinTheWayThere(move, target(move));
            if (isOld) {
                // Each register as it was, bits 1..0 of the divider too.
                EXPECT_EQ(board().clockChip().reg(18), old.fsbLow);
                EXPECT_EQ(board().clockChip().reg(20), old.fsbHigh);
                EXPECT_EQ(board().clockChip().reg(31), old.divider);
            }
        }
    }
}

// A revert, with or without one failed transaction on its way: the middle
// state is the one with the lower PCI clock, and the chip ends at the old
// setting, its registers as they were.
TEST_F(WaysBack, RevertTakesTheWayWhoseMiddleRunsThePciSlower)
{
    for (const Move& move : kMoves) {
        for (int fault = 0; fault <= 20; ++fault) {
            SCOPED_TRACE(std::string(move.name) + ", failed transaction " + std::to_string(fault) + " of the revert");
            // The programming takes 15 transactions.
            start(move, fault == 0 ? "" : "failtx=" + std::to_string(15 + fault));
            ClockRegisters before{};
            ASSERT_EQ(programClockSetting(move.toFsb, move.toRatio, &before), ProgramEnd::Applied);
            ASSERT_EQ(running(), target(move));
            log_.states.clear();
            EXPECT_EQ(restoreClockSetting(before), ProgramEnd::Applied);
            if (fault == 0) {
                EXPECT_EQ(log_.states, move.revert);
            }
            EXPECT_EQ(running(), move.from);
            expectWithinTheWayThere(move, target(move));
            EXPECT_EQ(board().clockChip().reg(18), before.fsbLow);
            EXPECT_EQ(board().clockChip().reg(20), before.fsbHigh);
            EXPECT_EQ(board().clockChip().reg(31), before.divider) << "bits 1..0 go back as they were";
            EXPECT_EQ(board().clockChip().reg(16), 0);
        }
    }
}

// With the bus gone for good, a revert that wrote nothing says so, and one
// cut off half-way says the chip may hold a mix.
TEST_F(WaysBack, ARevertOnADeadBusSaysWhatItCouldNotDo)
{
    const Move& move = kMoves[0];
    start(move, "");
    ClockRegisters before{};
    ASSERT_EQ(programClockSetting(move.toFsb, move.toRatio, &before), ProgramEnd::Applied);
    board().configure(scenarioFrom("fsb=100 ratio=3 fault=nodevice"));
    EXPECT_EQ(restoreClockSetting(before), ProgramEnd::Untouched);
    // Port operations of a whole revert, and of its preparation alone.
    board().configure(scenarioFrom("fsb=100 ratio=3"));
    uint32_t before0 = machine->channel.portOperations();
    ASSERT_EQ(restoreClockSetting(before), ProgramEnd::Applied);
    const uint32_t whole = machine->channel.portOperations() - before0;
    board().configure(scenarioFrom("fsb=100 ratio=3"));
    before0 = machine->channel.portOperations();
    ASSERT_EQ(readClockSetting(), 1);  // the same preparation, three reads
    const uint32_t reading = machine->channel.portOperations() - before0;
    struct Case {
        uint32_t portOperationsIn;
        ProgramEnd end;
    };
    for (const Case& c : {Case{10, ProgramEnd::Untouched}, Case{reading + 40, ProgramEnd::Mixed},
                          Case{whole - 40, ProgramEnd::Mixed}}) {
        SCOPED_TRACE(c.portOperationsIn);
        board().configure(scenarioFrom(
            ("fsb=100 ratio=3 failfrom=" + std::to_string(machine->channel.portOperations() + c.portOperationsIn)).c_str()));
        EXPECT_EQ(restoreClockSetting(before), c.end);
    }
}

}  // namespace

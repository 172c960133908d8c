// The platform seam served by a simulated board: ports and MSRs go to the
// board, time is the board's virtual time.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "sim/board.h"

namespace sim {

// Behaves like the driver device of the NT line: requests fail while the
// device is closed.
class SimChannel final : public ChannelBackend {
public:
    explicit SimChannel(Board& board) : board_(board) {}

    int32_t loadDriver() override;
    void unloadDriver() override;
    int32_t openDevice() override;
    bool reloadOnOpenFailure() const override { return true; }
    void closeDevice() override { open_ = false; }
    int32_t inByte(uint32_t port, uint8_t& value) override;
    int32_t inDword(uint32_t port, uint32_t& value) override;
    int32_t outByte(uint32_t port, uint8_t value) override;
    int32_t outDword(uint32_t port, uint32_t value) override;
    int32_t readMsr(uint32_t index, uint32_t& low, uint32_t& high) override;

    bool loaded() const { return loaded_; }
    bool isOpen() const { return open_; }
    uint32_t loadCount() const { return loadCount_; }
    uint32_t unloadCount() const { return unloadCount_; }
    // Port operations asked for so far, failed ones included.
    uint32_t portOperations() const { return portOperations_; }

private:
    // Counts the operation; false when the device request would fail.
    bool passes(bool read);

    Board& board_;
    bool loaded_ = false;
    bool open_ = false;
    uint32_t loadCount_ = 0;
    uint32_t unloadCount_ = 0;
    uint32_t portOperations_ = 0;
};

// Virtual time: a sleep costs nothing real; the performance counter runs at
// the ACPI timer's 3.579545 MHz. Sleeps behave as on Windows: a sleep ends at
// the first system tick at or after its length (the scenario's tick=), until
// the program asks for precise sleeps; then it lasts its own length.
class SimTiming final : public Timing {
public:
    static constexpr int64_t kPerfFrequency = 3579545;

    explicit SimTiming(Board& board) : board_(board) {}

    int64_t perfFrequency() override { return kPerfFrequency; }
    int64_t perfCounter() override;
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    void sleepMs(uint32_t milliseconds) override;
    void beginPreciseSleeps() override;
    void endPreciseSleeps() override;

    bool priorityRaised() const { return raised_; }
    // Open begin calls; 0 when every one was ended.
    uint32_t preciseDepth() const { return preciseDepth_; }
    uint32_t preciseRequests() const { return preciseRequests_; }
    uint64_t sleeps() const { return sleeps_; }

private:
    Board& board_;
    bool raised_ = false;
    uint32_t preciseDepth_ = 0;
    uint32_t preciseRequests_ = 0;
    uint64_t sleeps_ = 0;
};

class SimProcessor final : public Processor {
public:
    explicit SimProcessor(Board& board) : board_(board) {}
    CpuidRegs cpuid(uint32_t leaf) override;
    uint64_t readTsc() override;

private:
    Board& board_;
};

// A board with every seam part but the notifier, which the caller chooses.
class SimMachine {
public:
    SimMachine() : channel(board), timing(board), processor(board) {}
    explicit SimMachine(const Scenario& scenario) : board(scenario), channel(board), timing(board), processor(board) {}

    Platform platform(Notifier& notifier) { return Platform{&channel, &processor, &timing, &notifier}; }

    Board board;
    SimChannel channel;
    SimTiming timing;
    SimProcessor processor;
};

}  // namespace sim

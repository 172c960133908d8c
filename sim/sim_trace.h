// The SMBus trace of a run on the simulated board: every transaction the
// board saw, then the FSB and divider it ended at, as text in the file
// that QZ8_SIM's trace=PATH names.
#pragma once

#include <cstdio>
#include <string>

#include "sim/board.h"

namespace sim {

// One line per transaction: "0xD3 cmd 0x12 word  data 11 83 -> done".
std::string describeTransaction(const SmbusTransaction& transaction);

class SmbusTraceWriter final : public SmbusObserver {
public:
    // False when the file cannot be opened.
    bool open(const char* path);
    void onSmbusTransaction(const SmbusTransaction& transaction) override;
    // Writes the closing line with the board's running clock and closes the file.
    void close(const Board& board);
    bool isOpen() const { return file_ != nullptr; }

private:
    std::FILE* file_ = nullptr;
};

// Called by the executables at start and at exit; both do nothing when the
// scenario names no trace file. False (with a message on stderr) when the
// file cannot be written.
bool startSimTrace(Board& board);
void finishSimTrace(Board& board);

}  // namespace sim

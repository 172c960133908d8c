#include "sim/sim_trace.h"

#include "sim/trace_line.h"

namespace sim {

namespace {
SmbusTraceWriter processTrace;
}  // namespace

std::string describeTransaction(const SmbusTransaction& t)
{
    char line[kTraceLineSize];
    const uint32_t length = formatTraceLine(t, line, sizeof line);
    return std::string(line, length - 1);  // without the newline
}

bool SmbusTraceWriter::open(const char* path)
{
    file_ = std::fopen(path, "w");
    return file_ != nullptr;
}

void SmbusTraceWriter::onSmbusTransaction(const SmbusTransaction& transaction)
{
    if (file_ == nullptr) return;
    std::fprintf(file_, "%s\n", describeTransaction(transaction).c_str());
    // Line by line: whoever watches a run sees each transaction as it ends.
    std::fflush(file_);
}

void SmbusTraceWriter::close(const Board& board)
{
    if (file_ == nullptr) return;
    char line[kTraceLineSize];
    formatTraceEnd(board, line, sizeof line);
    std::fputs(line, file_);
    std::fclose(file_);
    file_ = nullptr;
}

bool startSimTrace(Board& board)
{
    const char* path = board.scenario().tracePath;
    if (path[0] == '\0') return true;
    if (!processTrace.open(path)) {
        std::fprintf(stderr, "QZ8_SIM: cannot write the trace file '%s'\n", path);
        return false;
    }
    board.setSmbusObserver(&processTrace);
    return true;
}

void finishSimTrace(Board& board)
{
    if (!processTrace.isOpen()) return;
    board.settleSmbus();
    board.setSmbusObserver(nullptr);
    processTrace.close(board);
}

}  // namespace sim

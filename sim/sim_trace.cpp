#include "sim/sim_trace.h"

namespace sim {

namespace {
SmbusTraceWriter processTrace;

const char* protocolName(uint8_t protocol)
{
    switch (protocol) {
    case kSmbWordData: return "word ";
    case kSmbBlock: return "block";
    default: return "other";
    }
}

const char* resultName(SmbusResult result)
{
    switch (result) {
    case SmbusResult::Done: return "done";
    case SmbusResult::DeviceError: return "device error";
    case SmbusResult::Failed: return "failed";
    }
    return "?";
}
}  // namespace

std::string describeTransaction(const SmbusTransaction& t)
{
    char head[48];
    std::snprintf(head, sizeof head, "0x%02X cmd 0x%02X %s data", t.address, t.command, protocolName(t.protocol));
    std::string line = head;
    const uint32_t shown = t.count < SmbusTransaction::kDataCapacity ? t.count : SmbusTransaction::kDataCapacity;
    for (uint32_t i = 0; i < shown; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", t.data[i]);
        line += byte;
    }
    if (shown < t.count) line += " ...";
    return line + " -> " + resultName(t.result);
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
}

void SmbusTraceWriter::close(const Board& board)
{
    if (file_ == nullptr) return;
    const uint16_t half = board.runningFsbHalfMhz();
    std::fprintf(file_, "end: FSB %u.%u MHz, divider %d\n", half / 2u, half % 2u * 5u, board.runningRatioCode());
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

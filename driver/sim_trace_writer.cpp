#include "driver/sim_trace_writer.h"

#include "driver/kernel_files.h"
#include "sim/trace_line.h"

namespace zornik {

namespace {

class TraceFile final : public sim::SmbusObserver {
public:
    void onSmbusTransaction(const sim::SmbusTransaction& transaction) override
    {
        char line[sim::kTraceLineSize];
        kernelWriteFile(file, line, sim::formatTraceLine(transaction, line, sizeof line));
    }
    void* file = nullptr;
};

TraceFile trace;
sim::Board* traced = nullptr;

}  // namespace

void startTrace(sim::Board& board, const char* path)
{
    trace.file = kernelCreateFile(path);
    if (trace.file == nullptr) return;
    traced = &board;
    board.setSmbusObserver(&trace);
}

void stopTrace()
{
    if (traced == nullptr) return;
    traced->settleSmbus();
    traced->setSmbusObserver(nullptr);
    char line[sim::kTraceLineSize];
    kernelWriteFile(trace.file, line, sim::formatTraceEnd(*traced, line, sizeof line));
    kernelCloseFile(trace.file);
    trace.file = nullptr;
    traced = nullptr;
}

}  // namespace zornik

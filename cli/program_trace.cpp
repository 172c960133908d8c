#include "cli/program_trace.h"

#include "sim/trace_line.h"

namespace {

sim::SmbusResult resultOf(SmbusOutcome outcome)
{
    switch (outcome) {
    case SmbusOutcome::Done: return sim::SmbusResult::Done;
    case SmbusOutcome::DeviceError: return sim::SmbusResult::DeviceError;
    case SmbusOutcome::Failed: break;
    }
    return sim::SmbusResult::Failed;
}

}  // namespace

bool ProgramTrace::open(const char* path)
{
    close();
    file_ = std::fopen(path, "w");
    if (file_ == nullptr) return false;
    setSmbusExchangeHook(&ProgramTrace::onExchange, this);
    return true;
}

void ProgramTrace::close()
{
    if (file_ == nullptr) return;
    setSmbusExchangeHook(nullptr, nullptr);
    std::fclose(file_);
    file_ = nullptr;
}

void ProgramTrace::onExchange(const SmbusExchange& exchange, void* context)
{
    sim::SmbusTransaction transaction{};
    transaction.address = exchange.address;
    transaction.command = exchange.command;
    transaction.protocol = exchange.protocol;
    transaction.count = exchange.count;
    for (uint32_t i = 0; i < exchange.count && i < sim::SmbusTransaction::kDataCapacity; ++i)
        transaction.data[i] = exchange.bytes[i];
    transaction.result = resultOf(exchange.outcome);
    char line[sim::kTraceLineSize];
    sim::formatTraceLine(transaction, line, sizeof line);
    std::fputs(line, static_cast<ProgramTrace*>(context)->file_);
}

#include "driver/sim_trace_writer.h"

#include "driver/kernel_files.h"

namespace zornik {

namespace {

class LineWriter {
public:
    LineWriter(char* line, uint32_t size) : line_(line), size_(size) {}
    LineWriter& text(const char* s)
    {
        while (*s != '\0') put(*s++);
        return *this;
    }
    LineWriter& hex(uint8_t value)
    {
        const char* digits = "0123456789abcdef";
        text("0x");
        put(digits[value >> 4]);
        put(digits[value & 0x0F]);
        return *this;
    }
    uint32_t finish()
    {
        line_[length_] = '\0';
        return length_;
    }

private:
    void put(char c)
    {
        if (length_ + 1 < size_) line_[length_++] = c;
    }
    char* line_;
    uint32_t size_;
    uint32_t length_ = 0;
};

const char* resultName(sim::SmbusResult result)
{
    switch (result) {
    case sim::SmbusResult::Done:
        return "done";
    case sim::SmbusResult::DeviceError:
        return "device-error";
    case sim::SmbusResult::Failed:
        return "failed";
    }
    return "?";
}

class TraceFile final : public sim::SmbusObserver {
public:
    void onSmbusTransaction(const sim::SmbusTransaction& transaction) override
    {
        char line[320];
        const uint32_t length = formatTransaction(transaction, line, sizeof line);
        if (file != nullptr) kernelWriteFile(file, line, length);
    }
    void* file = nullptr;
};

TraceFile trace;
sim::Board* traced = nullptr;

}  // namespace

uint32_t formatTransaction(const sim::SmbusTransaction& transaction, char* line, uint32_t size)
{
    LineWriter out(line, size);
    out.text("smbus ").hex(transaction.address).text(" cmd ").hex(transaction.command).text(" protocol ");
    out.hex(transaction.protocol).text(" data");
    const uint32_t count =
        transaction.count < sim::SmbusTransaction::kDataCapacity ? transaction.count : sim::SmbusTransaction::kDataCapacity;
    for (uint32_t i = 0; i < count; ++i) out.text(" ").hex(transaction.data[i]);
    out.text(" ").text(resultName(transaction.result)).text("\n");
    return out.finish();
}

void startTrace(sim::Board& board, const char* path)
{
    trace.file = kernelCreateFile(path);
    if (trace.file == nullptr) return;
    traced = &board;
    board.setSmbusObserver(&trace);
}

void stopTrace()
{
    if (traced != nullptr) traced->setSmbusObserver(nullptr);
    traced = nullptr;
    if (trace.file != nullptr) kernelCloseFile(trace.file);
    trace.file = nullptr;
}

}  // namespace zornik

#include "sim/trace_line.h"

namespace sim {

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
        put("0123456789ABCDEF"[value >> 4]);
        put("0123456789ABCDEF"[value & 0x0F]);
        return *this;
    }
    LineWriter& decimal(uint32_t value)
    {
        char digits[10];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0) put(digits[--count]);
        return *this;
    }
    uint32_t finish()
    {
        put('\n');
        if (size_ > 0) line_[length_] = '\0';
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

uint32_t formatTraceLine(const SmbusTransaction& t, char* line, uint32_t size)
{
    LineWriter out(line, size);
    out.text("0x").hex(t.address).text(" cmd 0x").hex(t.command).text(" ").text(protocolName(t.protocol));
    out.text(" data");
    const uint32_t shown = t.count < SmbusTransaction::kDataCapacity ? t.count : SmbusTransaction::kDataCapacity;
    for (uint32_t i = 0; i < shown; ++i) out.text(" ").hex(t.data[i]);
    if (shown < t.count) out.text(" ...");
    return out.text(" -> ").text(resultName(t.result)).finish();
}

uint32_t formatTraceEnd(const Board& board, char* line, uint32_t size)
{
    const uint16_t half = board.runningFsbHalfMhz();
    LineWriter out(line, size);
    out.text("end: FSB ").decimal(half / 2u).text(".").decimal(half % 2u * 5u).text(" MHz, divider ");
    const int32_t ratio = board.runningRatioCode();
    if (ratio < 0) out.text("-");
    // Negated as unsigned: -INT32_MIN does not fit an int32_t.
    const uint32_t magnitude = static_cast<uint32_t>(ratio);
    return out.decimal(ratio < 0 ? 0u - magnitude : magnitude).finish();
}

}  // namespace sim

// The SMBus trace lines: any transaction (counts past the bytes kept too),
// any running clock, into buffers from nothing up to a full line.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_check.h"
#include "sim/trace_line.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr uint32_t kGuardSize = 16;

// Takes the next bytes of the input, zeros once it runs out.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return used_ < size_ ? data_[used_++] : 0; }
    // Little-endian, `count` bytes.
    uint32_t number(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) value |= uint32_t{byte()} << (8 * i);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// Formats into a buffer of exactly `size` bytes followed by guard bytes, and
// checks the result against the same line formatted with room to spare.
template <typename Format>
void checkLine(Format format, uint32_t size)
{
    char full[sim::kTraceLineSize];
    const uint32_t fullLength = format(full, sim::kTraceLineSize);
    // The longest line fits a buffer of kTraceLineSize with its terminator.
    FUZZ_CHECK(fullLength + 1 < sim::kTraceLineSize);
    FUZZ_CHECK(full[fullLength] == '\0' && fullLength > 0 && full[fullLength - 1] == '\n');
    for (uint32_t i = 0; i + 1 < fullLength; ++i) FUZZ_CHECK(full[i] >= 0x20 && full[i] <= 0x7E);

    std::unique_ptr<char[]> buffer(new char[size + kGuardSize]);
    std::memset(buffer.get(), kGuard, size + kGuardSize);
    const uint32_t length = format(buffer.get(), size);
    for (uint32_t i = size; i < size + kGuardSize; ++i) FUZZ_CHECK(static_cast<uint8_t>(buffer[i]) == kGuard);
    FUZZ_CHECK(length <= size);
    if (size == 0) return;
    FUZZ_CHECK(length < size && buffer[length] == '\0');
    // Cut lines are the start of the whole line; a line that fits is all of it.
    FUZZ_CHECK(std::memcmp(buffer.get(), full, length) == 0);
    if (fullLength < size) FUZZ_CHECK(length == fullLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    const uint32_t bufferSize = in.byte() % (sim::kTraceLineSize + 8);

    static sim::Board board;
    const uint16_t fsbHalfMhz = static_cast<uint16_t>(in.number(2));
    const int32_t ratioCode = static_cast<int32_t>(in.number(4));
    board.setRunningClock(fsbHalfMhz, ratioCode);
    checkLine([&](char* line, uint32_t lineSize) { return sim::formatTraceEnd(board, line, lineSize); },
              bufferSize);

    sim::SmbusTransaction transaction;
    transaction.address = in.byte();
    transaction.command = in.byte();
    transaction.protocol = in.byte();
    transaction.count = in.byte();
    transaction.result = static_cast<sim::SmbusResult>(in.byte());
    for (uint8_t& byte : transaction.data) byte = in.byte();
    checkLine([&](char* line, uint32_t lineSize) { return sim::formatTraceLine(transaction, line, lineSize); },
              bufferSize);
    return 0;
}

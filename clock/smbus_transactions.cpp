// The four SMBus transactions as the clock logic calls them: through the
// path the platform installed, each reported to the hook once, whichever
// path served it.
#include "clock/smbus.h"

#include <cstring>

#include "clock/smbus_host_ports.h"
#include "platform/platform.h"

namespace {

// Host control protocol values, as the trace names the transfers.
constexpr uint8_t kWordData = 0x0C;
constexpr uint8_t kBlock = 0x14;
constexpr int32_t kMaxBlock = 32;

SmbusExchangeHook exchangeHook = nullptr;
void* exchangeContext = nullptr;

SmbusBackend& path()
{
    SmbusBackend* installed = currentPlatform().smbus;
    return installed != nullptr ? *installed : hostPortSmbus();
}

void report(uint8_t address, uint8_t command, uint8_t protocol, SmbusOutcome outcome, const uint8_t* bytes,
            uint32_t count)
{
    if (exchangeHook == nullptr) return;
    const bool done = outcome == SmbusOutcome::Done;
    exchangeHook(SmbusExchange{address, command, protocol, outcome, static_cast<uint8_t>(done ? count : 0), bytes},
                 exchangeContext);
}

}  // namespace

void setSmbusExchangeHook(SmbusExchangeHook hook, void* context)
{
    exchangeHook = hook;
    exchangeContext = context;
}

int32_t smbusReadWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second)
{
    first = 0;
    second = 0;
    const SmbusOutcome outcome = path().readWord(address, command, first, second);
    const uint8_t bytes[] = {first, second};
    report(address, command, kWordData, outcome, bytes, sizeof bytes);
    return outcome == SmbusOutcome::Done ? 1 : 0;
}

int32_t smbusWriteWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second)
{
    const SmbusOutcome outcome = path().writeWord(address, command, first, second);
    const uint8_t bytes[] = {first, second};
    report(address, command, kWordData, outcome, bytes, sizeof bytes);
    return outcome == SmbusOutcome::Done ? 1 : 0;
}

int32_t smbusReadBlock(uint8_t address, uint8_t command, uint8_t* buffer)
{
    uint8_t moved[1 + kMaxBlock];
    moved[0] = 0;
    SmbusOutcome outcome = path().readBlock(address, command, buffer, moved[0]);
    // A device count above 32 is cut to 32; one of 0 delivers no block.
    const int32_t count = moved[0] > kMaxBlock ? kMaxBlock : moved[0];
    if (outcome == SmbusOutcome::Done && count == 0) outcome = SmbusOutcome::Failed;
    const bool done = outcome == SmbusOutcome::Done;
    if (done) std::memcpy(moved + 1, buffer, static_cast<size_t>(count));
    report(address, command, kBlock, outcome, moved, 1 + static_cast<uint32_t>(done ? count : 0));
    return done ? count : 0;
}

int32_t smbusWriteBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count)
{
    const SmbusOutcome outcome = path().writeBlock(address, command, buffer, count);
    // A count below 1 starts nothing.
    if (count < 1) return count;
    uint8_t moved[1 + kMaxBlock];
    moved[0] = static_cast<uint8_t>(count);
    const int32_t shown = count < kMaxBlock ? count : kMaxBlock;
    std::memcpy(moved + 1, buffer, static_cast<size_t>(shown));
    report(address, command, kBlock, outcome, moved, 1 + static_cast<uint32_t>(shown));
    return outcome == SmbusOutcome::Done ? count : 0;
}

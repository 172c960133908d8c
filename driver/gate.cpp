#include "driver/gate.h"

#include "driver/machine.h"
#include "driver/request_rules.h"
#include "driver/smbus_locator.h"
#include "hw/driver_protocol.h"

namespace {

using namespace zornik;

constexpr int32_t kStatusNotSupported = static_cast<int32_t>(0xC00000BBu);
constexpr uint16_t kConfigAddressPort = 0xCF8;
constexpr uint16_t kConfigDataPort = 0xCFC;

Allowlist allowlist{};

// A read that faulted reads as an empty slot.
uint32_t readBus0Config(void*, uint32_t device, uint32_t function, uint32_t offset)
{
    uint32_t value = 0;
    if (!machineOut(kConfigAddressPort, true, configAddress(device, function, offset)) ||
        !machineIn(kConfigDataPort, true, value))
        return 0xFFFFFFFF;
    return value;
}

// Mechanism #1 on bus 0, with CONFIG_ADDRESS put back as found. Where the
// ports cannot be reached, no SMBus port is opened.
uint16_t findSmbusBlock()
{
    uint32_t saved = 0;
    if (!machineIn(kConfigAddressPort, true, saved)) return 0;
    const uint16_t base = locateSmbusBase(readBus0Config, nullptr);
    machineOut(kConfigAddressPort, true, saved);
    return base;
}

// Performs an accepted request; false when it did not happen (the
// processor lacks the MSR, or the instruction faulted).
bool perform(const Request& request, uint64_t& value)
{
    const uint16_t port = static_cast<uint16_t>(request.target);
    value = 0;
    switch (request.access) {
    case Access::ReadMsr:
        return machineReadMsr(request.target, value);
    case Access::InByte:
    case Access::InDword: {
        uint32_t in = 0;
        if (!machineIn(port, request.access == Access::InDword, in)) return false;
        value = in;
        return true;
    }
    case Access::OutByte:
    case Access::OutDword:
        return machineOut(port, request.access == Access::OutDword, request.value);
    }
    return false;
}

}  // namespace

extern "C" int zornikStart(const uint16_t* serviceKey, uint32_t keyChars)
{
    if (!machineStart(MachineStart{serviceKey, keyChars})) return 0;
    allowlist.smbusBase = findSmbusBlock();
    return 1;
}

extern "C" void zornikStop(void) { machineStop(); }

extern "C" int32_t zornikControl(uint32_t code, uint8_t* buffer, uint32_t inputLength, uint32_t outputLength,
                                 uint32_t* written)
{
    *written = 0;
    Request request{};
    const int32_t verdict = decodeRequest(code, buffer, inputLength, outputLength, allowlist, request);
    if (verdict != kStatusSuccess) return verdict;
    uint64_t value = 0;
    if (!perform(request, value)) return kStatusNotSupported;
    encodeResult(request, value, buffer);
    *written = kRequestOutputLength;
    return kStatusSuccess;
}

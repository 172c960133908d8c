#include "driver/request_rules.h"

#include "hw/driver_protocol.h"
#include "hw/smbus_block.h"

namespace zornik {

namespace {

struct RequestShape {
    uint32_t code;
    Access access;
    uint32_t inputLength;
};

constexpr RequestShape kShapes[] = {
    {kIoctlReadMsr, Access::ReadMsr, 4},     {kIoctlReadPortByte, Access::InByte, 4},
    {kIoctlWritePortByte, Access::OutByte, 8}, {kIoctlReadPortDword, Access::InDword, 4},
    {kIoctlWritePortDword, Access::OutDword, 8},
};

// Processor identification and its bus ratio; nothing else is read.
constexpr uint32_t kMsrEbcHardPowerOn = 0x2A;
constexpr uint32_t kMsrEbcFrequencyId = 0x2C;

constexpr uint32_t kConfigAddress = 0xCF8;  // mechanism #1 address; mechanism #2 enable as a byte
constexpr uint32_t kResetControl = 0xCF9;
constexpr uint32_t kMech2Forward = 0xCFA;
constexpr uint32_t kConfigData = 0xCFC;
constexpr uint32_t kLastPort = 0xFFFF;
constexpr uint32_t kSmbusRegisters = 8;  // of the block, the program uses base + 0..7

// The base found at load is checked again here, so the rule holds alone.
bool inSmbusBlock(uint32_t port, const Allowlist& allowlist)
{
    const uint32_t base = allowlist.smbusBase;
    return isUsableSmbusBase(base) && port >= base && port < base + kSmbusRegisters;
}

}  // namespace

bool isAllowed(const Request& request, const Allowlist& allowlist)
{
    const uint32_t port = request.target;
    if (request.access == Access::ReadMsr) return port == kMsrEbcHardPowerOn || port == kMsrEbcFrequencyId;
    // Whatever follows: no port beyond the I/O space (it would be cut to 16
    // bits later), and never the reset control register.
    if (port > kLastPort || port == kResetControl) return false;
    switch (request.access) {
    case Access::ReadMsr:
        return false;
    case Access::InByte:
    case Access::OutByte:
        return port == kConfigAddress || port == kMech2Forward || inSmbusBlock(port, allowlist);
    case Access::InDword:
        return port == kConfigAddress || port == kConfigData;
    case Access::OutDword:
        // Configuration space is read only: 0xCFC is never written.
        return port == kConfigAddress;
    }
    return false;
}

int32_t decodeRequest(uint32_t code, const uint8_t* input, uint32_t inputLength, uint32_t outputLength,
                      const Allowlist& allowlist, Request& request)
{
    const RequestShape* shape = nullptr;
    for (const RequestShape& s : kShapes)
        if (s.code == code) shape = &s;
    if (shape == nullptr) return kStatusInvalidDeviceRequest;
    if (input == nullptr || inputLength < shape->inputLength) return kStatusInvalidParameter;
    if (outputLength < kRequestOutputLength) return kStatusBufferTooSmall;

    request.access = shape->access;
    request.target = getLe32(input);
    request.value = shape->inputLength == 8 ? getLe32(input + 4) : 0;
    if (request.access == Access::OutByte && request.value > 0xFF) return kStatusInvalidParameter;
    return isAllowed(request, allowlist) ? kStatusSuccess : kStatusAccessDenied;
}

void encodeResult(const Request& request, uint64_t value, uint8_t* output)
{
    for (uint32_t i = 0; i < kRequestOutputLength; ++i) output[i] = 0;
    switch (request.access) {
    case Access::ReadMsr:
        putLe32(output, static_cast<uint32_t>(value));
        putLe32(output + 4, static_cast<uint32_t>(value >> 32));
        break;
    case Access::InByte:
        output[0] = static_cast<uint8_t>(value);
        break;
    case Access::InDword:
        putLe32(output, static_cast<uint32_t>(value));
        break;
    case Access::OutByte:
    case Access::OutDword:
        break;
    }
}

}  // namespace zornik

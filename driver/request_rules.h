// What the driver accepts: decoding one device I/O control request into a
// validated hardware access, or refusing it with an NTSTATUS. Plain,
// freestanding code: the kernel driver and the native tests share it.
#pragma once

#include <stdint.h>

namespace zornik {

// NTSTATUS values the driver completes requests with.
constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusInvalidParameter = static_cast<int32_t>(0xC000000Du);
constexpr int32_t kStatusInvalidDeviceRequest = static_cast<int32_t>(0xC0000010u);
constexpr int32_t kStatusAccessDenied = static_cast<int32_t>(0xC0000022u);
constexpr int32_t kStatusBufferTooSmall = static_cast<int32_t>(0xC0000023u);

enum class Access : uint8_t { ReadMsr, InByte, OutByte, InDword, OutDword };

struct Request {
    Access access;
    uint32_t target;  // MSR index or port
    uint32_t value;   // written value (OutByte: 0-255)
};

// Where the SMBus host block is; 0 when the driver found none at load.
struct Allowlist {
    uint16_t smbusBase;
};

// kStatusSuccess with `request` filled, or the refusal status. Input shorter
// than the request's fields is an invalid parameter; an output buffer
// shorter than 8 bytes is too small.
int32_t decodeRequest(uint32_t code, const uint8_t* input, uint32_t inputLength, uint32_t outputLength,
                      const Allowlist& allowlist, Request& request);

// True when the access is one the program makes.
bool isAllowed(const Request& request, const Allowlist& allowlist);

// Fills the output bytes the program reads: MSR low then high half, the
// byte read, or the 32-bit value read, little-endian; the rest zero.
void encodeResult(const Request& request, uint64_t value, uint8_t* output);

}  // namespace zornik

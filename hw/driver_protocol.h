// What the program sends to the kernel driver (NT line) and the VxD (9x
// line), and what it relies on in return. Shared with the driver's sources.
#pragma once

#include <stdint.h>

// Standard control-code layout: device type 0x9C40, FILE_ANY_ACCESS,
// METHOD_BUFFERED; only the function number differs.
constexpr uint32_t driverControlCode(uint32_t function) { return 0x9C40u << 16 | function << 2; }

constexpr uint32_t kIoctlReadMsr = driverControlCode(0x900);         // out: low u32, high u32
constexpr uint32_t kIoctlReadPortByte = driverControlCode(0x901);    // out: byte 0 = value
constexpr uint32_t kIoctlWritePortByte = driverControlCode(0x902);   // in: port, value zero-extended
constexpr uint32_t kIoctlReadPortDword = driverControlCode(0x905);   // out: bytes 0-3 = value
constexpr uint32_t kIoctlWritePortDword = driverControlCode(0x906);  // in: port, value

constexpr uint32_t kRequestOutputLength = 8;  // every driver request
constexpr uint32_t kVxdReadMsr = 1;           // the VxD's only request
constexpr uint32_t kVxdOutputLength = 40;

#define QZ8_SERVICE_NAME "iogate"
#define QZ8_DRIVER_FILE "\\zornik.sys"
#define QZ8_DEVICE_PATH "\\\\.\\iogate"
#define QZ8_VXD_PATH "\\\\.\\zornik.VXD"

inline void putLe32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t getLe32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// One request's control code and input buffer, little-endian.
struct DriverRequest {
    uint32_t code;
    uint8_t input[8];
    uint32_t inputLength;
};

inline DriverRequest oneFieldRequest(uint32_t code, uint32_t field)
{
    DriverRequest request{code, {}, 4};
    putLe32(request.input, field);
    return request;
}

inline DriverRequest msrReadRequest(uint32_t index) { return oneFieldRequest(kIoctlReadMsr, index); }

inline DriverRequest portReadRequest(bool dword, uint32_t port)
{
    return oneFieldRequest(dword ? kIoctlReadPortDword : kIoctlReadPortByte, port);
}

// A byte write carries its value zero-extended in a 32-bit field.
inline DriverRequest portWriteRequest(bool dword, uint32_t port, uint32_t value)
{
    DriverRequest request{dword ? kIoctlWritePortDword : kIoctlWritePortByte, {}, 8};
    putLe32(request.input, port);
    putLe32(request.input + 4, dword ? value : value & 0xFF);
    return request;
}

// What the stand-in driver accepts and refuses, and where it finds the SMBus
// block, decided before any hardware is touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "driver/request_rules.h"
#include "driver/smbus_locator.h"
#include "hw/driver_protocol.h"

using namespace zornik;

namespace {

constexpr Allowlist kIch2{0xE800};

int32_t decode(const DriverRequest& r, Request& out, const Allowlist& allow = kIch2, uint32_t outputLength = 8)
{
    return decodeRequest(r.code, r.input, r.inputLength, outputLength, allow, out);
}

struct Case {
    const char* what;
    DriverRequest request;
    int32_t status;
};

TEST(DriverRules, AcceptsExactlyTheProgramsAccesses)
{
    const Case cases[] = {
        {"MSR 0x2A", msrReadRequest(0x2A), kStatusSuccess},
        {"MSR 0x2C", msrReadRequest(0x2C), kStatusSuccess},
        {"MSR 0x2B, between the two", msrReadRequest(0x2B), kStatusAccessDenied},
        {"MSR 0x1B (APIC base)", msrReadRequest(0x1B), kStatusAccessDenied},
        {"MSR 0x2C with high bits", msrReadRequest(0x1002C), kStatusAccessDenied},
        {"mech 2 probe: byte out 0xCF8", portWriteRequest(false, 0xCF8, 0), kStatusSuccess},
        {"mech 2 probe: byte in 0xCFA", portReadRequest(false, 0xCFA), kStatusSuccess},
        {"mech 1: dword in 0xCF8", portReadRequest(true, 0xCF8), kStatusSuccess},
        {"mech 1: dword out 0xCF8", portWriteRequest(true, 0xCF8, 0x80000000), kStatusSuccess},
        {"mech 1: dword in 0xCFC", portReadRequest(true, 0xCFC), kStatusSuccess},
        {"config write: dword out 0xCFC", portWriteRequest(true, 0xCFC, 1), kStatusAccessDenied},
        {"reset control: byte out 0xCF9", portWriteRequest(false, 0xCF9, 0x06), kStatusAccessDenied},
        {"reset control: byte in 0xCF9", portReadRequest(false, 0xCF9), kStatusAccessDenied},
        {"byte in 0xCFC", portReadRequest(false, 0xCFC), kStatusAccessDenied},
        {"dword in 0xCFA", portReadRequest(true, 0xCFA), kStatusAccessDenied},
        {"SMBus status", portReadRequest(false, 0xE800), kStatusSuccess},
        {"SMBus block data", portWriteRequest(false, 0xE807, 0x55), kStatusSuccess},
        {"past the SMBus block", portReadRequest(false, 0xE808), kStatusAccessDenied},
        {"below the SMBus block", portReadRequest(false, 0xE7FF), kStatusAccessDenied},
        {"SMBus as dword", portReadRequest(true, 0xE800), kStatusAccessDenied},
        {"port with high bits", portReadRequest(true, 0x10CFC), kStatusAccessDenied},
        {"POST code port", portWriteRequest(false, 0x80, 0x12), kStatusAccessDenied},
    };
    for (const Case& c : cases) {
        Request out{};
        EXPECT_EQ(decode(c.request, out), c.status) << c.what;
    }
}

// The rules stand alone, whatever base they are given: every port of the
// 16-bit space, every kind of port request, bases at every alignment around
// the places where a wrong base would do harm.
TEST(DriverRules, NoBaseOpensAPortOutsideTheProgramsSet)
{
    std::vector<uint32_t> bases;
    for (uint32_t b = 0; b < 0x20; ++b) bases.push_back(b);
    for (uint32_t b = 0xF0; b < 0x110; ++b) bases.push_back(b);
    for (uint32_t b = 0xCE0; b < 0xD10; ++b) bases.push_back(b);
    for (uint32_t b = 0xE800; b < 0xE810; ++b) bases.push_back(b);
    for (uint32_t b = 0xFFE0; b <= 0xFFFF; ++b) bases.push_back(b);
    const Access kinds[] = {Access::InByte, Access::OutByte, Access::InDword, Access::OutDword};
    for (uint32_t base : bases) {
        const Allowlist allow{static_cast<uint16_t>(base)};
        const bool usable = base >= 0x100 && base + 15 <= 0xFFFF && (base + 15 < 0xCF8 || base > 0xCFF);
        uint32_t wrong = 0;
        for (uint32_t port = 0; port <= 0x1000F; ++port) {
            for (Access kind : kinds) {
                const bool allowed = isAllowed(Request{kind, port, 0}, allow);
                const bool byte = kind == Access::InByte || kind == Access::OutByte;
                bool expected = false;
                if (byte) expected = port == 0xCF8 || port == 0xCFA || (usable && port >= base && port < base + 8);
                else if (kind == Access::InDword) expected = port == 0xCF8 || port == 0xCFC;
                else expected = port == 0xCF8;
                if (allowed != expected && ++wrong <= 3)
                    ADD_FAILURE() << "base 0x" << std::hex << base << " port 0x" << port << " kind "
                                  << static_cast<int>(kind) << (allowed ? " allowed" : " refused");
            }
        }
        EXPECT_EQ(wrong, 0u) << "base 0x" << std::hex << base;
    }
    EXPECT_FALSE(isAllowed(Request{Access::InByte, 0xFFFFE800, 0}, kIch2)) << "a port above 0xFFFF is no SMBus port";
}

TEST(DriverRules, NoSmbusBlockMeansNoSmbusPorts)
{
    Request out{};
    EXPECT_EQ(decode(portReadRequest(false, 0), out, Allowlist{0}), kStatusAccessDenied);
    EXPECT_EQ(decode(portReadRequest(false, 7), out, Allowlist{0}), kStatusAccessDenied);
    EXPECT_EQ(decode(portReadRequest(true, 0xCFC), out, Allowlist{0}), kStatusSuccess);
}

TEST(DriverRules, RefusesMalformedRequestsWithTheirOwnStatus)
{
    Request out{};
    const DriverRequest read = portReadRequest(true, 0xCFC);
    const DriverRequest write = portWriteRequest(true, 0xCF8, 0x80000000);
    EXPECT_EQ(decodeRequest(driverControlCode(0x903), read.input, 4, 8, kIch2, out), kStatusInvalidDeviceRequest);
    EXPECT_EQ(decodeRequest(0x00222400, read.input, 4, 8, kIch2, out), kStatusInvalidDeviceRequest);  // other device type
    EXPECT_EQ(decodeRequest(kIoctlReadMsr | 0x4000, read.input, 4, 8, kIch2, out), kStatusInvalidDeviceRequest);
    EXPECT_EQ(decodeRequest(read.code, read.input, 3, 8, kIch2, out), kStatusInvalidParameter);
    EXPECT_EQ(decodeRequest(read.code, nullptr, 4, 8, kIch2, out), kStatusInvalidParameter);
    EXPECT_EQ(decodeRequest(write.code, write.input, 4, 8, kIch2, out), kStatusInvalidParameter);
    EXPECT_EQ(decodeRequest(read.code, read.input, 4, 7, kIch2, out), kStatusBufferTooSmall);
    // A byte write carries a zero-extended byte; anything wider is not ours.
    const DriverRequest wide = portWriteRequest(true, 0xCF8, 0x1FF);
    EXPECT_EQ(decodeRequest(kIoctlWritePortByte, wide.input, 8, 8, kIch2, out), kStatusInvalidParameter);
}

TEST(DriverRules, DecodesFieldsAndFillsEveryUsedOutputByte)
{
    Request out{};
    ASSERT_EQ(decode(portWriteRequest(true, 0xCF8, 0x8000F820), out), kStatusSuccess);
    EXPECT_EQ(out.access, Access::OutDword);
    EXPECT_EQ(out.value, 0x8000F820u);

    uint8_t output[8];
    std::fill(output, output + 8, 0xAA);
    ASSERT_EQ(decode(msrReadRequest(0x2C), out), kStatusSuccess);
    encodeResult(out, 0x1122334455667788ull, output);
    EXPECT_EQ(getLe32(output), 0x55667788u);
    EXPECT_EQ(getLe32(output + 4), 0x11223344u);

    std::fill(output, output + 8, 0xAA);
    ASSERT_EQ(decode(portReadRequest(false, 0xE800), out), kStatusSuccess);
    encodeResult(out, 0x42, output);
    EXPECT_EQ(getLe32(output), 0x42u);

    ASSERT_EQ(decode(portReadRequest(true, 0xCFC), out), kStatusSuccess);
    encodeResult(out, 0x25308086, output);
    EXPECT_EQ(getLe32(output), 0x25308086u);
}

// Bus 0 configuration space as a map of (device, function, offset) -> dword.
struct Bus0 {
    std::map<uint32_t, uint32_t> dwords;
    void put(uint32_t device, uint32_t function, uint32_t offset, uint32_t value)
    {
        dwords[configAddress(device, function, offset)] = value;
    }
    static uint32_t read(void* self, uint32_t device, uint32_t function, uint32_t offset)
    {
        const auto& d = static_cast<Bus0*>(self)->dwords;
        const auto it = d.find(configAddress(device, function, offset));
        return it == d.end() ? 0xFFFFFFFF : it->second;
    }
    uint16_t locate() { return locateSmbusBase(read, this); }
};

TEST(SmbusLocator, AppliesEachSouthBridgesBaseRule)
{
    struct Bridge {
        const char* what;
        uint32_t id;  // device << 16 | vendor, as configuration space holds it
        uint32_t offset, value, offset2, value2;
        uint16_t base;
    } bridges[] = {
        {"ICH2 at 0x20, bit 0 masked", 0x24438086, 0x20, 0xE801, 0, 0, 0xE800},
        {"PIIX4 at 0x90", 0x71138086, 0x90, 0x5001, 0, 0, 0x5000},
        {"AMD 766 plus 0xE0", 0x74031022, 0x58, 0x5001, 0, 0, 0x50E0},
        {"VT82C686 from 0x80", 0x30571106, 0x90, 0x6000, 0x80, 0x6001, 0x6000},
        {"VT82C686 neither enabled", 0x30571106, 0x90, 0x6000, 0x80, 0x7000, 0},
        {"VT8233 disabled", 0x30741106, 0xD0, 0x4000, 0, 0, 0},
        {"VT8235 enabled", 0x31771106, 0xD0, 0x4001, 0, 0, 0x4000},
        {"SiS listed without a rule", 0x00091039, 0x20, 0xE801, 0, 0, 0},
        // Bases where no block may sit: none at all, rather than those ports.
        {"AMD 766 wrapping past 0xFFFF onto 0x0070", 0x74031022, 0x58, 0xFF91, 0, 0, 0},
        {"ICH2 on the legacy timer ports", 0x24438086, 0x20, 0x0041, 0, 0, 0},
        {"ICH2 over the configuration ports", 0x24438086, 0x20, 0x0CF1, 0, 0, 0},
        {"ICH2 just below them", 0x24438086, 0x20, 0x0CE1, 0, 0, 0x0CE0},
        {"ICH2 at the top of the I/O space", 0x24438086, 0x20, 0xFFF1, 0, 0, 0xFFF0},
    };
    for (const Bridge& b : bridges) {
        Bus0 bus;
        bus.put(0, 0, 0, 0x25308086);  // host bridge, single function
        bus.put(0, 0, 0x0C, 0);
        bus.put(31, 3, 0, b.id);
        bus.put(31, 0, 0, 0x24408086);  // LPC bridge, multi-function
        bus.put(31, 0, 0x0C, 0x00800000);
        bus.put(31, 3, b.offset, b.value);
        if (b.offset2 != 0) bus.put(31, 3, b.offset2, b.value2);
        EXPECT_EQ(bus.locate(), b.base) << b.what;
    }
}

TEST(SmbusLocator, FirstListedFunctionDecidesAndSingleFunctionSlotsAreNotReread)
{
    Bus0 bus;
    bus.put(7, 0, 0, 0x719B8086);  // 440MX power management: listed, no rule
    bus.put(7, 0, 0x0C, 0);
    bus.put(31, 3, 0, 0x24438086);
    bus.put(31, 3, 0x20, 0xE801);
    EXPECT_EQ(bus.locate(), 0);

    Bus0 single;
    // A single-function device that answers the same for functions 1-7.
    for (uint32_t f = 0; f < 8; ++f) single.put(2, f, 0, 0x11111111);
    single.put(2, 0, 0x0C, 0);
    single.put(2, 3, 0, 0x24438086);
    single.put(2, 3, 0x20, 0xE801);
    EXPECT_EQ(single.locate(), 0);
    EXPECT_EQ(Bus0{}.locate(), 0);
}

}  // namespace

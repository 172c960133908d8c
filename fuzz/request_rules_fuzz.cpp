// The driver's request rules: any control code, input bytes and lengths,
// against any SMBus base in the allowlist.
#include <cstdint>
#include <cstring>
#include <memory>

#include "driver/request_rules.h"
#include "fuzz/fuzz_check.h"
#include "hw/driver_protocol.h"

namespace {

constexpr uint32_t kHeaderSize = 16;

// What no accepted request may reach, whatever the allowlist holds.
void checkAccepted(const zornik::Request& request, const zornik::Allowlist& allowlist)
{
    using zornik::Access;
    const uint32_t target = request.target;
    if (request.access == Access::ReadMsr) {
        FUZZ_CHECK(target == 0x2A || target == 0x2C);
        return;
    }
    // 0xCF9 is the reset control register.
    FUZZ_CHECK(target != 0xCF9);
    FUZZ_CHECK(target <= 0xFFFF);
    if (request.access == Access::OutByte) FUZZ_CHECK(request.value <= 0xFF);

    const uint64_t base = allowlist.smbusBase;
    const bool inSmbusBlock = target >= base && target <= base + 7;
    switch (request.access) {
    case Access::InByte:
    case Access::OutByte:
        FUZZ_CHECK(target == 0xCF8 || target == 0xCFA || inSmbusBlock);
        break;
    case Access::InDword:
        FUZZ_CHECK(target == 0xCF8 || target == 0xCFC || inSmbusBlock);
        break;
    case Access::OutDword:
        FUZZ_CHECK(target == 0xCF8 || inSmbusBlock);
        break;
    case Access::ReadMsr:
        break;
    }
}

}  // namespace

// Input: control code, SMBus base (as many of its 4 bytes, little-endian,
// as the field holds), output length, a flag byte (bit 0: no input buffer)
// and three unused, then the request's input buffer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize) return 0;
    const uint32_t code = getLe32(data);
    zornik::Allowlist allowlist{};
    static_assert(sizeof allowlist.smbusBase <= 4, "the base comes from four input bytes");
    std::memcpy(&allowlist.smbusBase, data + 4, sizeof allowlist.smbusBase);
    const uint32_t outputLength = getLe32(data + 8);
    const bool noInput = (data[12] & 1) != 0;

    // The input buffer exactly as long as its stated length, as the I/O
    // manager hands it over.
    const uint32_t inputLength = static_cast<uint32_t>(size - kHeaderSize);
    std::unique_ptr<uint8_t[]> input(new uint8_t[inputLength]);
    if (inputLength != 0) std::memcpy(input.get(), data + kHeaderSize, inputLength);

    zornik::Request request{};
    const int32_t status =
        zornik::decodeRequest(code, noInput ? nullptr : input.get(), inputLength, outputLength, allowlist, request);
    if (status != zornik::kStatusSuccess) return 0;
    FUZZ_CHECK(zornik::isAllowed(request, allowlist));
    checkAccepted(request, allowlist);

    std::unique_ptr<uint8_t[]> output(new uint8_t[kRequestOutputLength]);
    zornik::encodeResult(request, getLe32(data + 8) | uint64_t{getLe32(data + 12)} << 32, output.get());
    return 0;
}

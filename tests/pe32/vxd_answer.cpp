#include "tests/pe32/vxd_answer.h"

#include "hw/driver_protocol.h"

namespace {

struct ModelMsr {
    uint32_t index;
    uint64_t value;
};

// Pentium 4 2.40 GHz, model 2: MSR 0x2C (EBC_FREQUENCY_ID) holds the
// core-to-bus ratio in bits 31..24 (18) and the bus code in 18..16 (001:
// 133 MHz). The guest's processor has no such MSR of its own.
constexpr ModelMsr kMsrs[] = {{0x2C, uint64_t{18} << 24 | uint64_t{1} << 16}};

constexpr uint32_t kIndexLength = 4;
constexpr uint32_t kAnswerLength = 8;

}  // namespace

uint32_t vxdRequestIndex(const VxdRequest& request)
{
    return request.input != nullptr && request.inputLength >= kIndexLength ? getLe32(request.input) : 0;
}

bool answerVxdRequest(const VxdRequest& request, uint32_t& returned)
{
    returned = 0;
    if (request.code != kVxdReadMsr || request.output == nullptr || request.outputLength < kAnswerLength) return false;
    const uint32_t index = vxdRequestIndex(request);
    for (const ModelMsr& msr : kMsrs) {
        if (index == 0 || msr.index != index) continue;
        putLe32(request.output, static_cast<uint32_t>(msr.value));
        putLe32(request.output + 4, static_cast<uint32_t>(msr.value >> 32));
        returned = kAnswerLength;
        return true;
    }
    return false;
}

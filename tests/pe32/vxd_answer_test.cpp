// The stand-in VxD of the 9x line in the 32-bit guest answers the contract's
// one request for the multiplier MSR and refuses everything else untouched.
#include <gtest/gtest.h>

#include <array>

#include "hw/driver_protocol.h"
#include "tests/pe32/vxd_answer.h"

namespace {

TEST(VxdStandIn, AnswersOnlyTheMultiplierMsrThroughControlCodeOne)
{
    struct Case {
        const char* what;
        uint32_t code;
        uint32_t index;
        uint32_t inputLength;
        uint32_t outputLength;
        bool done;
    };
    const Case cases[] = {
        {"the contract's request", kVxdReadMsr, 0x2C, 4, kVxdOutputLength, true},
        {"the answer's 8 bytes are enough", kVxdReadMsr, 0x2C, 4, 8, true},
        {"models 0 and 1's MSR", kVxdReadMsr, 0x2A, 4, kVxdOutputLength, false},
        {"an MSR index of 0", kVxdReadMsr, 0, 4, kVxdOutputLength, false},
        {"an index cut short", kVxdReadMsr, 0x2C, 3, kVxdOutputLength, false},
        {"no room for the high half", kVxdReadMsr, 0x2C, 4, 7, false},
        {"the NT driver's MSR request", kIoctlReadMsr, 0x2C, 4, kVxdOutputLength, false},
        {"another control code", 2, 0x2C, 4, kVxdOutputLength, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint8_t input[4];
        putLe32(input, c.index);
        std::array<uint8_t, kVxdOutputLength> output;
        output.fill(0xA5);
        uint32_t returned = 99;
        const VxdRequest request{c.code, input, c.inputLength, output.data(), c.outputLength};
        EXPECT_EQ(answerVxdRequest(request, returned), c.done);
        if (c.done) {
            EXPECT_EQ(returned, 8u);
            EXPECT_EQ(getLe32(output.data()), 0x12010000u) << "ratio 18 in bits 31..24, bus code 001";
            EXPECT_EQ(getLe32(output.data() + 4), 0u);
            EXPECT_EQ(output[8], 0xA5) << "the 32 bytes the program never looks at stay as they were";
        } else {
            EXPECT_EQ(returned, 0u);
            EXPECT_EQ(output[0], 0xA5);
            EXPECT_EQ(output[7], 0xA5);
        }
    }
}

}  // namespace

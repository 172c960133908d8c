#include <gtest/gtest.h>

#include "hw/driver_protocol.h"

namespace {

TEST(DriverProtocol, ControlCodesUseDeviceType9C40AndBufferedTransfer)
{
    EXPECT_EQ(kIoctlReadMsr, 0x9C402400u);
    EXPECT_EQ(kIoctlReadPortByte, 0x9C402404u);
    EXPECT_EQ(kIoctlWritePortByte, 0x9C402408u);
    EXPECT_EQ(kIoctlReadPortDword, 0x9C402414u);
    EXPECT_EQ(kIoctlWritePortDword, 0x9C402418u);
}

TEST(DriverProtocol, ByteWriteSendsItsValueZeroExtendedLittleEndian)
{
    const DriverRequest r = portWriteRequest(false, 0xE802, 0xFFFFFF94);
    EXPECT_EQ(r.code, kIoctlWritePortByte);
    ASSERT_EQ(r.inputLength, 8u);
    const uint8_t expected[8] = {0x02, 0xE8, 0x00, 0x00, 0x94, 0x00, 0x00, 0x00};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.input[i], expected[i]) << i;
}

TEST(DriverProtocol, ReadsAndMsrCarryOneFourByteField)
{
    const DriverRequest dword = portReadRequest(true, 0x0CFC);
    EXPECT_EQ(dword.code, kIoctlReadPortDword);
    EXPECT_EQ(dword.inputLength, 4u);
    EXPECT_EQ(getLe32(dword.input), 0x0CFCu);
    const DriverRequest msr = msrReadRequest(0x2C);
    EXPECT_EQ(msr.code, kIoctlReadMsr);
    EXPECT_EQ(getLe32(msr.input), 0x2Cu);
    const DriverRequest write = portWriteRequest(true, 0xCF8, 0x8000F840);
    EXPECT_EQ(getLe32(write.input + 4), 0x8000F840u);
}

}  // namespace

// The i2c-dev back end against a fake of the kernel's ioctl boundary: the
// bytes of each I2C_SMBUS request, what comes back, and how the kernel's
// failures read as the transactions' outcomes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/i2c_dev_smbus.h"
#include "support/fake_i2c_kernel.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum class Call { ReadWord, WriteWord, ReadBlock, WriteBlock };

struct Case {
    const char* name;
    Call call;
    uint8_t address;  // with the read/write bit
    uint8_t command;
    Bytes given;      // a write's first and second byte, or its block
    int error;        // what the kernel's driver answers: 0, or an errno
    Bytes answered;   // a read's word (low byte first) or block (count first)
    // Expected:
    SmbusOutcome outcome;
    uint32_t size;    // of the I2C_SMBUS request; 0: none is made
    Bytes sent;       // what the request carried
    Bytes received;   // the read's bytes (a word's two, or the count byte and the block)
};

const Bytes kBlock17 = {17, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x0F, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};

std::vector<Case> cases()
{
    Bytes block40(34, 0x5A);
    block40[0] = 40;
    Bytes received40(33, 0x5A);
    received40[0] = 40;
    const Bytes block17Data(kBlock17.begin() + 1, kBlock17.end());
    return {
        {"word read, low byte first", Call::ReadWord, 0xD3, 0x12, {}, 0, {0x11, 0x83}, SmbusOutcome::Done,
         I2C_SMBUS_WORD_DATA, {}, {0x11, 0x83}},
        {"word write", Call::WriteWord, 0xD2, 0x14, {0x11, 0x94}, 0, {}, SmbusOutcome::Done, I2C_SMBUS_WORD_DATA,
         {0x11, 0x94}, {}},
        {"block read of 17", Call::ReadBlock, 0xD3, 0x00, {}, 0, kBlock17, SmbusOutcome::Done, I2C_SMBUS_BLOCK_DATA,
         {}, kBlock17},
        {"block read over 32: 32 bytes kept", Call::ReadBlock, 0xD3, 0x00, {}, 0, block40, SmbusOutcome::Done,
         I2C_SMBUS_BLOCK_DATA, {}, received40},
        {"block write of 17", Call::WriteBlock, 0xD2, 0x00, block17Data, 0, {}, SmbusOutcome::Done,
         I2C_SMBUS_BLOCK_DATA, kBlock17, {}},
        {"block write of 0: nothing asked", Call::WriteBlock, 0xD2, 0x00, {}, 0, {}, SmbusOutcome::Failed, 0, {}, {}},
        {"block write of 33: nothing asked", Call::WriteBlock, 0xD2, 0x00, Bytes(33, 1), 0, {}, SmbusOutcome::Failed,
         0, {}, {}},
        {"no acknowledge", Call::ReadWord, 0xD3, 0x12, {}, ENXIO, {}, SmbusOutcome::DeviceError,
         I2C_SMBUS_WORD_DATA, {}, {0, 0}},
        {"no acknowledge, as some bus drivers say it", Call::WriteWord, 0xD2, 0x10, {0x11, 0}, EREMOTEIO, {},
         SmbusOutcome::DeviceError, I2C_SMBUS_WORD_DATA, {0x11, 0}, {}},
        {"a block count of 0 or above 32", Call::ReadBlock, 0xD3, 0x00, {}, EPROTO, {}, SmbusOutcome::Failed,
         I2C_SMBUS_BLOCK_DATA, {}, {0}},
        {"time-out", Call::ReadBlock, 0xD3, 0x00, {}, ETIMEDOUT, {}, SmbusOutcome::Failed, I2C_SMBUS_BLOCK_DATA, {},
         {0}},
        {"lost arbitration", Call::WriteBlock, 0xD2, 0x00, block17Data, EAGAIN, {}, SmbusOutcome::Failed,
         I2C_SMBUS_BLOCK_DATA, kBlock17, {}},
        {"the host killed the transfer", Call::WriteWord, 0xD2, 0x1F, {0x11, 0x23}, EIO, {}, SmbusOutcome::Failed,
         I2C_SMBUS_WORD_DATA, {0x11, 0x23}, {}},
    };
}

TEST(I2cDevSmbus, EachTransactionIsOneRequestWithItsBytes)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        FakeI2cKernel kernel;
        kernel.answer = [&](uint8_t, uint8_t readWrite, uint8_t, uint32_t, i2c_smbus_data& data) {
            if (c.error == 0 && readWrite == I2C_SMBUS_READ) {
                if (c.call == Call::ReadWord) data.word = static_cast<uint16_t>(c.answered[0] | c.answered[1] << 8);
                else std::memcpy(data.block, c.answered.data(), c.answered.size());
            }
            return c.error;
        };
        I2cDevSmbus smbus(kernel);
        ASSERT_TRUE(smbus.open("/dev/i2c-3"));
        ASSERT_EQ(smbus.claim(0x69, false), I2cDevSmbus::Claim::Mine);

        uint8_t first = 0xEE;
        uint8_t second = 0xEE;
        uint8_t buffer[32];
        std::memset(buffer, 0xEE, sizeof buffer);
        uint8_t reported = 0xEE;
        SmbusOutcome outcome = SmbusOutcome::Done;
        Bytes received;
        switch (c.call) {
        case Call::ReadWord:
            outcome = smbus.readWord(c.address, c.command, first, second);
            received = {first, second};
            break;
        case Call::WriteWord: outcome = smbus.writeWord(c.address, c.command, c.given[0], c.given[1]); break;
        case Call::ReadBlock:
            outcome = smbus.readBlock(c.address, c.command, buffer, reported);
            received.push_back(reported);
            received.insert(received.end(), buffer, buffer + (reported < 32 ? reported : 32));
            break;
        case Call::WriteBlock:
            outcome = smbus.writeBlock(c.address, c.command, c.given.data(), static_cast<int32_t>(c.given.size()));
            break;
        }
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(received, c.received);
        // The claim, then at most the one transfer.
        ASSERT_EQ(kernel.requests.size(), c.size != 0 ? 2u : 1u);
        if (c.size == 0) continue;
        const FakeI2cKernel::Request& r = kernel.requests[1];
        EXPECT_EQ(r.request, static_cast<unsigned long>(I2C_SMBUS));
        EXPECT_EQ(r.address, 0x69u);
        EXPECT_EQ(r.readWrite, (c.address & 1) != 0 ? I2C_SMBUS_READ : I2C_SMBUS_WRITE);
        EXPECT_EQ(r.command, c.command);
        EXPECT_EQ(r.size, c.size);
        EXPECT_EQ(r.sent, c.sent);
    }
}

// The address byte picks the chip: a transaction to another one selects it
// first, and --force's claim goes for every address after it.
TEST(I2cDevSmbus, AddressesAreClaimedAsTheKernelAllows)
{
    FakeI2cKernel kernel;
    kernel.claimed = {0x69};
    kernel.answer = [](uint8_t, uint8_t, uint8_t, uint32_t, i2c_smbus_data&) { return 0; };
    I2cDevSmbus smbus(kernel);
    uint8_t first = 0;
    uint8_t second = 0;
    EXPECT_EQ(smbus.readWord(0xD3, 0x12, first, second), SmbusOutcome::Failed) << "not open";
    EXPECT_EQ(smbus.claim(0x69, false), I2cDevSmbus::Claim::Failed) << "not open";
    EXPECT_TRUE(kernel.requests.empty());

    EXPECT_FALSE(smbus.open("/dev/i2c-4"));
    EXPECT_EQ(errno, ENOENT);
    ASSERT_TRUE(smbus.open("/dev/i2c-3"));
    EXPECT_TRUE(smbus.offers(kI2cClockChip));
    kernel.functions = kI2cWordRead | I2C_FUNC_SMBUS_WRITE_WORD_DATA;
    EXPECT_TRUE(smbus.offers(kI2cWordRead));
    EXPECT_FALSE(smbus.offers(kI2cClockChip)) << "no block transfers";

    EXPECT_EQ(smbus.claim(0x69, false), I2cDevSmbus::Claim::Taken);
    EXPECT_EQ(smbus.readWord(0xD3, 0x12, first, second), SmbusOutcome::Failed) << "still the kernel's";
    ASSERT_EQ(smbus.claim(0x69, true), I2cDevSmbus::Claim::Mine);
    EXPECT_EQ(smbus.readWord(0xD3, 0x12, first, second), SmbusOutcome::Done);
    EXPECT_EQ(smbus.readWord(0xA1, 0x00, first, second), SmbusOutcome::Done);
    EXPECT_EQ(smbus.writeWord(0xA0, 0x00, 1, 2), SmbusOutcome::Done) << "0x50 is selected already";

    const std::vector<std::pair<unsigned long, uint32_t>> expected = {
        {I2C_SLAVE, 0x69},       {I2C_SLAVE, 0x69}, {I2C_SLAVE_FORCE, 0x69}, {I2C_SMBUS, 0x69},
        {I2C_SLAVE_FORCE, 0x50}, {I2C_SMBUS, 0x50}, {I2C_SMBUS, 0x50},
    };
    std::vector<std::pair<unsigned long, uint32_t>> made;
    for (const FakeI2cKernel::Request& r : kernel.requests) made.emplace_back(r.request, r.address);
    EXPECT_EQ(made, expected);

    smbus.close();
    EXPECT_EQ(kernel.closed, 1);
    EXPECT_EQ(smbus.readWord(0xD3, 0x12, first, second), SmbusOutcome::Failed);
}

}  // namespace

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
    // The bus behind the kernel's driver: the word at the command (for a
    // block read, its first byte is the device's count) and the block
    // (count first); an errno for the word and for the block transfer.
    Bytes word;
    Bytes block;
    int wordError;
    int blockError;
    // Expected:
    SmbusOutcome outcome;
    std::vector<uint32_t> sizes;  // of the I2C_SMBUS requests made, in order
    Bytes sent;                   // what the last one carried
    Bytes received;               // a word's two bytes; a block's count byte, then the block when Done
};

const Bytes kBlock17 = {17, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x0F, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03};

std::vector<Case> cases()
{
    constexpr uint32_t W = I2C_SMBUS_WORD_DATA;
    constexpr uint32_t B = I2C_SMBUS_BLOCK_DATA;
    const Bytes block17Data(kBlock17.begin() + 1, kBlock17.end());
    Bytes block16 = kBlock17;
    block16[0] = 16;
    const SmbusOutcome done = SmbusOutcome::Done;
    const SmbusOutcome failed = SmbusOutcome::Failed;
    const SmbusOutcome noAck = SmbusOutcome::DeviceError;
    return {
        {"word read, low byte first", Call::ReadWord, 0xD3, 0x12, {}, {0x11, 0x83}, {}, 0, 0, done, {W}, {},
         {0x11, 0x83}},
        {"word write", Call::WriteWord, 0xD2, 0x14, {0x11, 0x94}, {}, {}, 0, 0, done, {W}, {0x11, 0x94}, {}},
        {"block read: its count as a word, then the block", Call::ReadBlock, 0xD3, 0x00, {}, {17, 0x81}, kBlock17, 0,
         0, done, {W, B}, {}, kBlock17},
        {"a count of 0 is not read as a block", Call::ReadBlock, 0xD3, 0x00, {}, {0, 0xFF}, {}, 0, 0, failed, {W}, {},
         {0}},
        {"nor one above 32", Call::ReadBlock, 0xD3, 0x00, {}, {40, 0x81}, {}, 0, 0, failed, {W}, {}, {40}},
        {"a block of another count", Call::ReadBlock, 0xD3, 0x00, {}, {17, 0x81}, block16, 0, 0, failed, {W, B}, {},
         {17}},
        {"block write of 17", Call::WriteBlock, 0xD2, 0x00, block17Data, {}, {}, 0, 0, done, {B}, kBlock17, {}},
        {"block write of 0: nothing asked", Call::WriteBlock, 0xD2, 0x00, {}, {}, {}, 0, 0, failed, {}, {}, {}},
        {"block write of 33: nothing asked", Call::WriteBlock, 0xD2, 0x00, Bytes(33, 1), {}, {}, 0, 0, failed, {}, {},
         {}},
        {"no acknowledge", Call::ReadWord, 0xD3, 0x12, {}, {}, {}, ENXIO, 0, noAck, {W}, {}, {0, 0}},
        {"no acknowledge, as some bus drivers say it", Call::WriteWord, 0xD2, 0x10, {0x11, 0}, {}, {}, EREMOTEIO, 0,
         noAck, {W}, {0x11, 0}, {}},
        {"no acknowledge to the count", Call::ReadBlock, 0xD3, 0x00, {}, {}, {}, ENXIO, 0, noAck, {W}, {}, {0}},
        {"the block refused by the driver", Call::ReadBlock, 0xD3, 0x00, {}, {17, 0x81}, {}, 0, EPROTO, failed,
         {W, B}, {}, {17}},
        {"time-out", Call::ReadBlock, 0xD3, 0x00, {}, {17, 0x81}, {}, 0, ETIMEDOUT, failed, {W, B}, {}, {17}},
        {"lost arbitration", Call::WriteBlock, 0xD2, 0x00, block17Data, {}, {}, 0, EAGAIN, failed, {B}, kBlock17, {}},
        {"the host killed the transfer", Call::WriteWord, 0xD2, 0x1F, {0x11, 0x23}, {}, {}, EIO, 0, failed, {W},
         {0x11, 0x23}, {}},
    };
}

TEST(I2cDevSmbus, EachTransactionIsItsRequestsWithTheirBytes)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        FakeI2cKernel kernel;
        kernel.answer = [&](uint8_t, uint8_t readWrite, uint8_t, uint32_t size, i2c_smbus_data& data) {
            const bool word = size == I2C_SMBUS_WORD_DATA;
            const int error = word ? c.wordError : c.blockError;
            if (error == 0 && readWrite == I2C_SMBUS_READ) {
                if (word) data.word = static_cast<uint16_t>(c.word[0] | c.word[1] << 8);
                else std::memcpy(data.block, c.block.data(), c.block.size());
            }
            return error;
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
            if (outcome == SmbusOutcome::Done) received.insert(received.end(), buffer, buffer + reported);
            break;
        case Call::WriteBlock:
            outcome = smbus.writeBlock(c.address, c.command, c.given.data(), static_cast<int32_t>(c.given.size()));
            break;
        }
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(received, c.received);
        // After the claim, the transfers, each to 0x69 with the command.
        std::vector<uint32_t> sizes;
        for (size_t i = 1; i < kernel.requests.size(); ++i) {
            const FakeI2cKernel::Request& r = kernel.requests[i];
            EXPECT_EQ(r.request, static_cast<unsigned long>(I2C_SMBUS));
            EXPECT_EQ(r.address, 0x69u);
            EXPECT_EQ(r.readWrite, (c.address & 1) != 0 ? I2C_SMBUS_READ : I2C_SMBUS_WRITE);
            EXPECT_EQ(r.command, c.command);
            sizes.push_back(r.size);
        }
        EXPECT_EQ(sizes, c.sizes);
        if (!c.sizes.empty()) {
            EXPECT_EQ(kernel.requests.back().sent, c.sent);
        }
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

#include "platform/linux/i2c_dev_smbus.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr uint32_t kMaxBlock = I2C_SMBUS_BLOCK_MAX;

class SystemI2cDevKernel final : public I2cDevKernel {
public:
    int open(const char* path) override { return ::open(path, O_RDWR | O_CLOEXEC); }
    int ioctl(int fd, unsigned long request, unsigned long argument) override { return ::ioctl(fd, request, argument); }
    void close(int fd) override { ::close(fd); }
};

// The bus drivers answer a device that did not acknowledge with ENXIO (the
// controller's device error flag); some bus drivers say EREMOTEIO. Everything
// else (a lost arbitration, a time-out, a bad block count, a killed or
// refused transfer) is a failed transaction.
SmbusOutcome outcomeOf(int error)
{
    return error == ENXIO || error == EREMOTEIO ? SmbusOutcome::DeviceError : SmbusOutcome::Failed;
}

}  // namespace

I2cDevKernel& systemI2cDevKernel()
{
    static SystemI2cDevKernel kernel;
    return kernel;
}

bool I2cDevSmbus::open(const std::string& device)
{
    close();
    fd_ = kernel_.open(device.c_str());
    return fd_ >= 0;
}

void I2cDevSmbus::close()
{
    if (fd_ < 0) return;
    kernel_.close(fd_);
    fd_ = -1;
    selected_ = -1;
    force_ = false;
}

bool I2cDevSmbus::offers(unsigned long functions)
{
    unsigned long offered = 0;
    if (fd_ < 0 || kernel_.ioctl(fd_, I2C_FUNCS, reinterpret_cast<unsigned long>(&offered)) < 0) return false;
    return (offered & functions) == functions;
}

I2cDevSmbus::Claim I2cDevSmbus::claim(uint8_t address, bool force)
{
    selected_ = -1;
    force_ = force;
    if (fd_ < 0) {
        errno = EBADF;
        return Claim::Failed;
    }
    if (kernel_.ioctl(fd_, force ? I2C_SLAVE_FORCE : I2C_SLAVE, address) < 0)
        return errno == EBUSY ? Claim::Taken : Claim::Failed;
    selected_ = address;
    return Claim::Mine;
}

SmbusOutcome I2cDevSmbus::transfer(uint8_t addressByte, uint8_t readWrite, uint8_t command, uint32_t size,
                                   i2c_smbus_data& data)
{
    const int address = addressByte >> 1;
    if (address != selected_ && claim(static_cast<uint8_t>(address), force_) != Claim::Mine) return SmbusOutcome::Failed;
    i2c_smbus_ioctl_data request{readWrite, command, size, &data};
    if (kernel_.ioctl(fd_, I2C_SMBUS, reinterpret_cast<unsigned long>(&request)) < 0) return outcomeOf(errno);
    return SmbusOutcome::Done;
}

SmbusOutcome I2cDevSmbus::readWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second)
{
    i2c_smbus_data data{};
    const SmbusOutcome outcome = transfer(address, I2C_SMBUS_READ, command, I2C_SMBUS_WORD_DATA, data);
    // The first byte on the wire is the word's low byte.
    first = outcome == SmbusOutcome::Done ? static_cast<uint8_t>(data.word) : 0;
    second = outcome == SmbusOutcome::Done ? static_cast<uint8_t>(data.word >> 8) : 0;
    return outcome;
}

SmbusOutcome I2cDevSmbus::writeWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second)
{
    i2c_smbus_data data{};
    data.word = static_cast<uint16_t>(first | second << 8);
    return transfer(address, I2C_SMBUS_WRITE, command, I2C_SMBUS_WORD_DATA, data);
}

// The device's count byte comes first in a block read, and first in a word
// read of the same command: the device cannot tell the two apart until the
// host stops reading. So the count is read as a word first, and a block
// whose count is 0 or above 32 is not read at all: i2c_i801 then either
// loops on the controller for good (polled, as it drives the ICH2) or
// hands back 32 bytes that came from no block (with its interrupt).
SmbusOutcome I2cDevSmbus::readBlock(uint8_t address, uint8_t command, uint8_t* buffer, uint8_t& reported)
{
    reported = 0;
    uint8_t count = 0;
    uint8_t firstByte = 0;
    const SmbusOutcome probe = readWord(address, command, count, firstByte);
    if (probe != SmbusOutcome::Done) return probe;
    reported = count;
    if (count == 0 || count > kMaxBlock) return SmbusOutcome::Failed;
    i2c_smbus_data data{};
    const SmbusOutcome outcome = transfer(address, I2C_SMBUS_READ, command, I2C_SMBUS_BLOCK_DATA, data);
    if (outcome != SmbusOutcome::Done) return outcome;
    // Another count now: not the block the count was read for.
    if (data.block[0] != count) return SmbusOutcome::Failed;
    std::memcpy(buffer, data.block + 1, count);
    return outcome;
}

SmbusOutcome I2cDevSmbus::writeBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count)
{
    // An SMBus block holds 1 to 32 bytes; the kernel refuses any other count.
    if (count < 1 || count > static_cast<int32_t>(kMaxBlock)) return SmbusOutcome::Failed;
    i2c_smbus_data data{};
    data.block[0] = static_cast<uint8_t>(count);
    std::memcpy(data.block + 1, buffer, static_cast<size_t>(count));
    return transfer(address, I2C_SMBUS_WRITE, command, I2C_SMBUS_BLOCK_DATA, data);
}

// The SMBus through the kernel driver that owns the host: each transaction
// is one I2C_SMBUS request on the adapter's /dev/i2c-N (the i2c-dev module),
// and the kernel's adapter lock keeps it whole among every other user of
// the bus (the drivers of the sensor chips, i2c-tools). A block read takes
// two: its count byte read as a word first, and the block only where the
// count is one the kernel's drivers take (1 to 32).
#pragma once

#include <linux/i2c.h>

#include <string>

#include "platform/platform.h"

// What the adapter must offer: a word read (smbus-read), or word and block
// data both ways (the clock generator).
constexpr unsigned long kI2cWordRead = I2C_FUNC_SMBUS_READ_WORD_DATA;
constexpr unsigned long kI2cClockChip = I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA;

// The kernel side of i2c-dev as the back end uses it; the tests put a fake
// in its place.
class I2cDevKernel {
public:
    // A descriptor, or -1 with errno set.
    virtual int open(const char* path) = 0;
    // The request's result, or -1 with errno set.
    virtual int ioctl(int fd, unsigned long request, unsigned long argument) = 0;
    virtual void close(int fd) = 0;

protected:
    ~I2cDevKernel() = default;
};

I2cDevKernel& systemI2cDevKernel();

class I2cDevSmbus final : public SmbusBackend {
public:
    explicit I2cDevSmbus(I2cDevKernel& kernel) : kernel_(kernel) {}
    I2cDevSmbus(const I2cDevSmbus&) = delete;
    I2cDevSmbus& operator=(const I2cDevSmbus&) = delete;
    ~I2cDevSmbus() { close(); }

    // False with errno set when the file does not open.
    bool open(const std::string& device);
    void close();
    // True when the adapter offers every function bit of `functions`.
    bool offers(unsigned long functions);

    enum class Claim : uint8_t {
        Mine,    // the transactions go to this 7-bit address
        Taken,   // a kernel driver has claimed it (only `force` takes it)
        Failed,  // errno says why
    };
    // The address the transactions go to; `force` also takes it from a
    // kernel driver that has claimed it, and goes for every later address.
    Claim claim(uint8_t address, bool force);

    SmbusOutcome readWord(uint8_t address, uint8_t command, uint8_t& first, uint8_t& second) override;
    SmbusOutcome writeWord(uint8_t address, uint8_t command, uint8_t first, uint8_t second) override;
    SmbusOutcome readBlock(uint8_t address, uint8_t command, uint8_t* buffer, uint8_t& reported) override;
    SmbusOutcome writeBlock(uint8_t address, uint8_t command, const uint8_t* buffer, int32_t count) override;

private:
    // One I2C_SMBUS request to the address of `addressByte` (read/write bit
    // included), selected first when it is not the current one.
    SmbusOutcome transfer(uint8_t addressByte, uint8_t readWrite, uint8_t command, uint32_t size,
                          i2c_smbus_data& data);

    I2cDevKernel& kernel_;
    int fd_ = -1;
    int selected_ = -1;  // the 7-bit address of the last I2C_SLAVE, -1 none
    bool force_ = false;
};

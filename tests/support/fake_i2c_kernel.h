// The kernel's side of i2c-dev for the tests: one device file, whose
// I2C_SLAVE, I2C_SLAVE_FORCE, I2C_FUNCS and I2C_SMBUS requests are recorded
// and answered as the kernel answers them. The bus behind it is `answer`: a
// table in the back end's tests, the simulated board's host controller in
// the command-line tests.
#pragma once

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/i2c_dev_smbus.h"

class FakeI2cKernel final : public I2cDevKernel {
public:
    struct Request {
        unsigned long request;
        uint32_t address;  // I2C_SLAVE's; the selected one for I2C_SMBUS
        uint8_t readWrite;
        uint8_t command;
        uint32_t size;
        std::vector<uint8_t> sent;  // a write's word (low byte first) or block (count first)
    };
    // One transfer on the bus: 0, or the errno the driver would give.
    using Bus = std::function<int(uint8_t address, uint8_t readWrite, uint8_t command, uint32_t size,
                                  i2c_smbus_data& data)>;

    int open(const char* path) override
    {
        if (openError != 0 || path != device) {
            errno = openError != 0 ? openError : ENOENT;
            return -1;
        }
        ++opened;
        return kFd;
    }
    void close(int) override { ++closed; }
    int ioctl(int fd, unsigned long request, unsigned long argument) override
    {
        if (fd != kFd) return fail(EBADF);
        switch (request) {
        case I2C_SLAVE:
        case I2C_SLAVE_FORCE:
            requests.push_back(Request{request, static_cast<uint32_t>(argument), 0, 0, 0, {}});
            if (request == I2C_SLAVE && claimed.count(static_cast<uint8_t>(argument)) != 0) return fail(EBUSY);
            slave = static_cast<int>(argument);
            return 0;
        case I2C_FUNCS: *reinterpret_cast<unsigned long*>(argument) = functions; return 0;
        case I2C_SMBUS: return transfer(*reinterpret_cast<i2c_smbus_ioctl_data*>(argument));
        default: return fail(ENOTTY);
        }
    }

    static constexpr int kFd = 7;
    std::string device = "/dev/i2c-3";
    int openError = 0;
    unsigned long functions = kI2cClockChip;
    std::set<uint8_t> claimed;  // addresses with a kernel client bound
    Bus answer;
    std::vector<Request> requests;
    int slave = -1;
    int opened = 0;
    int closed = 0;

private:
    static int fail(int error)
    {
        errno = error;
        return -1;
    }

    int transfer(i2c_smbus_ioctl_data& smbus)
    {
        Request r{I2C_SMBUS, static_cast<uint32_t>(slave), smbus.read_write, smbus.command, smbus.size, {}};
        if (smbus.read_write == I2C_SMBUS_WRITE && smbus.size == I2C_SMBUS_WORD_DATA)
            r.sent = {static_cast<uint8_t>(smbus.data->word), static_cast<uint8_t>(smbus.data->word >> 8)};
        if (smbus.read_write == I2C_SMBUS_WRITE && smbus.size == I2C_SMBUS_BLOCK_DATA)
            r.sent.assign(smbus.data->block, smbus.data->block + 1 + smbus.data->block[0]);
        requests.push_back(r);
        if (slave < 0) return fail(EINVAL);
        const int error = answer ? answer(static_cast<uint8_t>(slave), smbus.read_write, smbus.command, smbus.size,
                                          *smbus.data)
                                 : ENXIO;
        return error == 0 ? 0 : fail(error);
    }
};

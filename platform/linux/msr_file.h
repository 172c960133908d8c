// Model-specific registers through the msr module's device: an 8-byte pread
// at the register's index as the offset.
#pragma once

#include <cstdint>

// CPU 0: the registers read here are the same on every processor of a board.
constexpr char kMsrDevicePath[] = "/dev/cpu/0/msr";

class MsrFile {
public:
    MsrFile() = default;
    MsrFile(const MsrFile&) = delete;
    MsrFile& operator=(const MsrFile&) = delete;
    ~MsrFile() { close(); }

    // False with errno set when the device cannot be opened.
    bool open(const char* path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // False when the processor lacks the register (the read fails with EIO)
    // or the file is not open.
    bool read(uint32_t index, uint32_t& low, uint32_t& high) const;

private:
    int fd_ = -1;
};

#include "platform/linux/msr_file.h"

#include <fcntl.h>
#include <unistd.h>

bool MsrFile::open(const char* path)
{
    close();
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

void MsrFile::close()
{
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool MsrFile::read(uint32_t index, uint32_t& low, uint32_t& high) const
{
    if (fd_ < 0) return false;
    uint64_t value = 0;
    if (::pread(fd_, &value, sizeof value, static_cast<off_t>(index)) != static_cast<ssize_t>(sizeof value)) return false;
    low = static_cast<uint32_t>(value);
    high = static_cast<uint32_t>(value >> 32);
    return true;
}

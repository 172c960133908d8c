#include "platform/linux/sysfs_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

bool sysfsConfigAvailable(const char* root)
{
    struct stat info {};
    return root != nullptr && stat(root, &info) == 0 && S_ISDIR(info.st_mode);
}

uint32_t readSysfsConfigDword(const char* root, uint32_t bus, uint32_t device, uint32_t function, uint32_t offset)
{
    char path[512];
    std::snprintf(path, sizeof path, "%s/0000:%02x:%02x.%x/config", root, bus & 0xFF, device & 0x1F, function & 0x07);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0xFFFFFFFF;
    unsigned char bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const ssize_t got = pread(fd, bytes, sizeof bytes, static_cast<off_t>(offset & 0xFC));
    close(fd);
    if (got != static_cast<ssize_t>(sizeof bytes)) return 0xFFFFFFFF;
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

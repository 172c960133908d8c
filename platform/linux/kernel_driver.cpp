#include "platform/linux/kernel_driver.h"

#include <unistd.h>

#include <cstdio>

std::string pciKernelDriver(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function)
{
    char link[512];
    std::snprintf(link, sizeof link, "%s/0000:%02x:%02x.%x/driver", sysfsRoot, bus & 0xFF, device & 0x1F,
                  function & 0x07);
    char target[512];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0) return std::string();
    const std::string path(target, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

#include "platform/linux/kernel_driver.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct HostModule {
    uint32_t vendorId;
    uint32_t deviceId;
    const char* module;
};

// Linux's drivers of the south bridges the discovery lists.
constexpr HostModule kHostModules[] = {
    {0x8086, 0x2413, "i2c_i801"},    // ICH
    {0x8086, 0x2423, "i2c_i801"},    // ICH0
    {0x8086, 0x2443, "i2c_i801"},    // ICH2
    {0x8086, 0x24C3, "i2c_i801"},    // ICH4
    {0x8086, 0x7113, "i2c_piix4"},   // PIIX4
    {0x1106, 0x3057, "i2c_viapro"},  // VT82C686
    {0x1106, 0x3074, "i2c_viapro"},  // VT8233
    {0x1106, 0x3177, "i2c_viapro"},  // VT8235
};

// The last part of a link's target: a driver's name.
std::string linkedName(const char* link)
{
    char target[512];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0) return std::string();
    const std::string path(target, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string functionFolder(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function)
{
    char folder[512];
    std::snprintf(folder, sizeof folder, "%s/0000:%02x:%02x.%x", sysfsRoot, bus & 0xFF, device & 0x1F,
                  function & 0x07);
    return folder;
}

}  // namespace

std::string pciKernelDriver(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function)
{
    return linkedName((functionFolder(sysfsRoot, bus, device, function) + "/driver").c_str());
}

int pciI2cAdapter(const char* sysfsRoot, uint32_t bus, uint32_t device, uint32_t function)
{
    DIR* folder = opendir(functionFolder(sysfsRoot, bus, device, function).c_str());
    if (folder == nullptr) return -1;
    int lowest = -1;
    while (const dirent* entry = readdir(folder)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, "i2c-", 4) != 0 || name[4] < '0' || name[4] > '9') continue;
        char* end = nullptr;
        const long number = std::strtol(name + 4, &end, 10);
        if (*end != '\0' || number > 0xFFFFF) continue;
        if (lowest < 0 || number < lowest) lowest = static_cast<int>(number);
    }
    closedir(folder);
    return lowest;
}

std::string i2cAdapterName(const char* i2cRoot, int adapter)
{
    char path[512];
    std::snprintf(path, sizeof path, "%s/i2c-%d/name", i2cRoot, adapter);
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return std::string();
    char name[128] = {};
    const bool read = std::fgets(name, sizeof name, file) != nullptr;
    std::fclose(file);
    if (!read) return std::string();
    name[std::strcspn(name, "\n")] = '\0';
    return name;
}

std::string i2cClientDriver(const char* i2cRoot, int adapter, uint8_t address)
{
    char link[512];
    std::snprintf(link, sizeof link, "%s/%d-%04x/driver", i2cRoot, adapter, address);
    return linkedName(link);
}

const char* smbusHostModule(uint32_t vendorId, uint32_t deviceId)
{
    for (const HostModule& host : kHostModules)
        if (host.vendorId == vendorId && host.deviceId == deviceId) return host.module;
    return nullptr;
}

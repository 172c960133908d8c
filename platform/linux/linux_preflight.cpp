#include "platform/linux/linux_preflight.h"

#include <fcntl.h>
#include <sys/io.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string msrDeviceProblem(const char* path)
{
    struct stat info {};
    if (stat(path, &info) != 0 && errno == ENOENT)
        return std::string(path) + " is missing: load the msr module (modprobe msr)";
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string(path) + " cannot be opened: " + std::strerror(errno);
    close(fd);
    return {};
}

std::string portAccessProblem()
{
    if (iopl(3) != 0)
        return portRefusal(errno, "mount sysfs (mount -t sysfs sysfs /sys), so that the kernel serves PCI "
                                  "configuration space and its SMBus driver the bus");
    iopl(0);
    return {};
}

}  // namespace

std::string linuxAccessProblem(const char* msrPath, bool ports)
{
    const bool msr = msrPath != nullptr && *msrPath != '\0';
    if (geteuid() != 0)
        return std::string("must run as root: port access") + (msr ? std::string(" and ") + msrPath : std::string()) +
               (msr ? " need it" : " needs it");
    std::string problem = msr ? msrDeviceProblem(msrPath) : std::string();
    if (problem.empty() && ports) problem = portAccessProblem();
    return problem;
}

// The file lists every mode and brackets the one in force: "none
// [integrity] confidentiality".
std::string kernelLockdown(const char* lockdownPath)
{
    std::FILE* file = std::fopen(lockdownPath, "r");
    if (file == nullptr) return {};
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    const char* from = read ? std::strchr(line, '[') : nullptr;
    const char* to = from != nullptr ? std::strchr(from, ']') : nullptr;
    if (to == nullptr) return {};
    const std::string mode(from + 1, to);
    return mode == "none" ? std::string() : mode;
}

std::string portRefusal(int error, const std::string& instead, const char* lockdownPath)
{
    const std::string refused = std::string("iopl(3) was refused (") + std::strerror(error) + ")";
    const std::string lockdown = kernelLockdown(lockdownPath);
    if (!lockdown.empty())
        return refused + ": the kernel is locked down (" + lockdown +
               "), and a locked-down kernel gives no program port access; " + instead;
    return refused +
           ": the kernel gives no port access here (kernel lockdown, a container without CAP_SYS_RAWIO, or a "
           "kernel built without CONFIG_X86_IOPL_IOPERM)";
}

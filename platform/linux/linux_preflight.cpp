#include "platform/linux/linux_preflight.h"

#include <fcntl.h>
#include <sys/io.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
        return std::string("iopl(3) was refused (") + std::strerror(errno) +
               "): the kernel gives no port access here (kernel lockdown, a container without CAP_SYS_RAWIO, "
               "or a kernel built without CONFIG_X86_IOPL_IOPERM)";
    iopl(0);
    return {};
}

}  // namespace

std::string linuxAccessProblem(const char* msrPath)
{
    const bool msr = msrPath != nullptr && *msrPath != '\0';
    if (geteuid() != 0)
        return std::string("must run as root: port access") + (msr ? std::string(" and ") + msrPath : std::string()) +
               (msr ? " need it" : " needs it");
    std::string problem = msr ? msrDeviceProblem(msrPath) : std::string();
    if (problem.empty()) problem = portAccessProblem();
    return problem;
}

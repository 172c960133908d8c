#include "platform/linux/kernel_module.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Where the distributions keep it; busybox systems have it in /bin.
constexpr const char* kModprobe[] = {"/sbin/modprobe", "/usr/sbin/modprobe", "/bin/modprobe"};
}  // namespace

bool loadKernelModule(const char* name)
{
    for (const char* modprobe : kModprobe) {
        if (access(modprobe, X_OK) != 0) continue;
        // A fixed environment: nothing of the caller's reaches modprobe.
        char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
        char* environment[] = {path, nullptr};
        char* arguments[] = {const_cast<char*>(modprobe), const_cast<char*>("-q"), const_cast<char*>(name), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, modprobe, nullptr, nullptr, arguments, environment) != 0) return false;
        int status = 0;
        while (waitpid(child, &status, 0) < 0) {
            if (errno != EINTR) return false;
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return false;
}

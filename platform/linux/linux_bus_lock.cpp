#include "platform/linux/linux_bus_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr uint32_t kPollMs = 10;

int64_t nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void pause(uint32_t ms)
{
    timespec wait{0, static_cast<long>(ms) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}


}  // namespace

LinuxBusLock::~LinuxBusLock()
{
    release();
    if (fd_ >= 0) close(fd_);
}

bool LinuxBusLock::open()
{
    // No symbolic link is followed, should one ever stand at the path.
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return fd_ >= 0;
}

bool LinuxBusLock::acquire(uint32_t timeoutMs)
{
    if (held_) return true;
    // Without a lock file the bus cannot be shared safely: refuse.
    if (!open()) return false;
    const int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (nowMs() >= deadline) return false;
        pause(kPollMs);
    }
}

void LinuxBusLock::release()
{
    if (!held_) return;
    held_ = false;
    flock(fd_, LOCK_UN);
}

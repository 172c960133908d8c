#include "cli/held_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

namespace {
constexpr int kHeld[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
}  // namespace

HeldSignals::HeldSignals()
{
    sigemptyset(&held_);
    for (int signal : kHeld) sigaddset(&held_, signal);
    sigprocmask(SIG_BLOCK, &held_, &previousMask_);
    fd_ = signalfd(-1, &held_, SFD_NONBLOCK | SFD_CLOEXEC);
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe_);
}

HeldSignals::~HeldSignals()
{
    while (take() != 0) {
    }
    if (fd_ >= 0) close(fd_);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
}

int HeldSignals::take()
{
    // Blocked signals stay pending until taken; sigtimedwait takes one
    // whether or not the descriptor could be opened.
    const timespec now{0, 0};
    siginfo_t info{};
    const int signal = sigtimedwait(&held_, &info, &now);
    return signal > 0 ? signal : 0;
}

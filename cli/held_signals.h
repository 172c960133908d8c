// The signals that end a program from outside (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT), held while it touches the clock generator: none may end it
// between the FSB and the divider, nor leave new clocks in place that
// nobody kept. A held signal is taken where the program can act on it.
#pragma once

#include <signal.h>

class HeldSignals {
public:
    // Blocks the four and opens a descriptor that reads them; SIGPIPE is
    // ignored meanwhile, so a closed output fails a write instead of ending
    // the program half-way.
    HeldSignals();
    // Signals still pending are dropped (the caller took what it wanted),
    // and the previous mask and SIGPIPE handling come back.
    ~HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    // The number of a signal that arrived, taken; 0 when none did.
    int take();
    // Polls readable when one has arrived; -1 when it could not be opened.
    int descriptor() const { return fd_; }

private:
    sigset_t held_{};
    sigset_t previousMask_{};
    struct sigaction previousPipe_{};
    int fd_ = -1;
};

// The exit status of a program that a signal ended: 128 + its number.
constexpr int exitStatusOfSignal(int signal) { return 128 + signal; }

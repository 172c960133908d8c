// --trace: every SMBus transaction the program makes, one line each in the
// simulated board's trace format, as the program itself saw it: on the real
// board nothing else can watch the bus. Unlike the board's own trace, a
// transfer that did not complete lists no data bytes, a wait that gave up
// shows as failed, and there is no closing line.
#pragma once

#include <cstdio>

#include "clock/smbus.h"

class ProgramTrace {
public:
    ProgramTrace() = default;
    ProgramTrace(const ProgramTrace&) = delete;
    ProgramTrace& operator=(const ProgramTrace&) = delete;
    ~ProgramTrace() { close(); }

    // Opens the file and hooks into the SMBus transactions; false when the
    // file cannot be written.
    bool open(const char* path);
    void close();

private:
    static void onExchange(const SmbusExchange& exchange, void* context);

    std::FILE* file_ = nullptr;
};

// The platform's messages as lines on a stream, prefixed with the program's
// name as a command-line tool's messages are.
#pragma once

#include <cstdio>

#include "platform/platform.h"

class StreamNotifier final : public Notifier {
public:
    explicit StreamNotifier(std::FILE* stream) : stream_(stream) {}
    void showMessage(const char* text, const char* caption, uint32_t icon) override;

private:
    std::FILE* stream_;
};

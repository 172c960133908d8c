#pragma once

#include "platform/platform.h"

// Message boxes of console programs: one line on standard error.
class ConsoleNotifier final : public Notifier {
public:
    void showMessage(const char* text, const char* caption, uint32_t icon) override;
};

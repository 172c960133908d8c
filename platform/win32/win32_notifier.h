#pragma once

#include "platform/platform.h"

// MessageBoxA with no owner window and an OK button.
class Win32Notifier final : public Notifier {
public:
    void showMessage(const char* text, const char* caption, uint32_t icon) override;
};

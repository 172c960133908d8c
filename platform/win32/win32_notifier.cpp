#include "platform/win32/win32_notifier.h"

#include <windows.h>

void Win32Notifier::showMessage(const char* text, const char* caption, uint32_t icon)
{
    MessageBoxA(nullptr, text, caption, MB_OK | icon);
}

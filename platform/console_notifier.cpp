#include "platform/console_notifier.h"

#include <cstdio>

void ConsoleNotifier::showMessage(const char* text, const char* caption, uint32_t icon)
{
    std::fprintf(stderr, "[%s%s] %s\n", caption, icon == kIconError ? ", error" : "", text);
}

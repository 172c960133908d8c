#include "cli/stream_notifier.h"

#include "cli/cli_context.h"

// The caption (a box's title) says nothing a line needs.
void StreamNotifier::showMessage(const char* text, const char*, uint32_t) { say(stream_, "%s", text); }

#include "platform/platform.h"

#include <string>
#include <vector>

namespace {
Platform installed{};

struct HeldMessage {
    std::string text;
    std::string caption;
    uint32_t icon;
};
bool holding = false;
std::vector<HeldMessage> held;
}  // namespace

void installPlatform(const Platform& platform)
{
    installed = platform;
    holding = false;
    held.clear();
}

const Platform& currentPlatform() { return installed; }

void showMessage(const char* text, const char* caption, uint32_t icon)
{
    if (holding) {
        held.push_back(HeldMessage{text, caption, icon});
        return;
    }
    installed.notifier->showMessage(text, caption, icon);
}

void holdMessages() { holding = true; }

void releaseMessages()
{
    holding = false;
    std::vector<HeldMessage> waiting;
    waiting.swap(held);
    for (const HeldMessage& message : waiting) installed.notifier->showMessage(message.text.c_str(), message.caption.c_str(), message.icon);
}

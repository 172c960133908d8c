#include "platform/platform.h"

namespace {
Platform installed{};
}

void installPlatform(const Platform& platform) { installed = platform; }

const Platform& currentPlatform() { return installed; }

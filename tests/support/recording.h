// Test doubles that record what the code under test did.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/port_access.h"

struct ShownMessage {
    std::string text;
    std::string caption;
    uint32_t icon;
};

class RecordingNotifier final : public Notifier {
public:
    void showMessage(const char* text, const char* caption, uint32_t icon) override
    {
        boxes.push_back(ShownMessage{text, caption, icon});
    }
    std::vector<ShownMessage> boxes;
};

// The SMBus owner's lock, granted while `free`.
class FakeBusLock final : public BusLock {
public:
    bool acquire(uint32_t timeoutMs) override
    {
        waitedMs = timeoutMs;
        held = free;
        return held;
    }
    void release() override
    {
        if (held) ++releases;
        held = false;
    }
    bool free = true;
    bool held = false;
    uint32_t waitedMs = 0;
    int releases = 0;
};

class PortLog final : public sim::PortObserver {
public:
    void onPortAccess(const sim::PortAccess& access) override { accesses.push_back(access); }
    std::vector<sim::PortAccess> accesses;
};

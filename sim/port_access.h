// One port cycle as the board saw it, for recording and assertions.
#pragma once

#include <cstdint>

namespace sim {

enum class Width : uint8_t { Byte = 1, Dword = 4 };

struct PortAccess {
    bool write;
    Width width;
    uint16_t port;
    uint32_t value;  // written, or returned by the read
};

class PortObserver {
public:
    virtual void onPortAccess(const PortAccess& access) = 0;

protected:
    ~PortObserver() = default;
};

}  // namespace sim

// The SMBus's one owner among the programs of the machine: flock() on a lock
// file, so that two copies never interleave their transactions.
#pragma once

#include <string>
#include <utility>

#include "platform/platform.h"

// In a folder only root can write: in a folder open to all (/run/lock,
// /tmp) any user could hold the lock and keep root's tool off the bus.
constexpr char kBusLockPath[] = "/run/qz8fsb.lock";

class LinuxBusLock final : public BusLock {
public:
    explicit LinuxBusLock(std::string path = kBusLockPath) : path_(std::move(path)) {}
    LinuxBusLock(const LinuxBusLock&) = delete;
    LinuxBusLock& operator=(const LinuxBusLock&) = delete;
    ~LinuxBusLock();

    // Opens (or makes) the lock file; false with errno set when it cannot.
    bool open();
    const std::string& path() const { return path_; }
    // Polls until the lock is this object's or `timeoutMs` have passed.
    bool acquire(uint32_t timeoutMs) override;
    void release() override;

private:
    std::string path_;
    int fd_ = -1;
    bool held_ = false;
};

// The SMBus's one owner among the programs of the machine: flock() on a lock
// file, so that two copies never interleave their transactions.
#pragma once

#include <string>
#include <utility>

#include "platform/platform.h"

constexpr char kBusLockPath[] = "/run/lock/qz8fsb.lock";
constexpr char kBusLockFallbackPath[] = "/tmp/qz8fsb.lock";

class LinuxBusLock final : public BusLock {
public:
    // The fallback serves where the first path's folder is missing or not
    // writable.
    explicit LinuxBusLock(std::string path = kBusLockPath, std::string fallback = kBusLockFallbackPath)
        : path_(std::move(path)), fallback_(std::move(fallback))
    {
    }
    LinuxBusLock(const LinuxBusLock&) = delete;
    LinuxBusLock& operator=(const LinuxBusLock&) = delete;
    ~LinuxBusLock();

    // Polls until the lock is this object's or `timeoutMs` have passed.
    bool acquire(uint32_t timeoutMs) override;
    void release() override;

private:
    bool openLockFile();

    std::string path_;
    std::string fallback_;
    int fd_ = -1;
    bool held_ = false;
};

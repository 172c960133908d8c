// The settings file on a disk that fills up mid-write: a file-size limit of
// 10 bytes makes the write fail part-way, as ENOSPC would.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "app/settings_file.h"
#include "clock/clock_generator.h"

namespace {

TEST(SettingsFileLimit, APartialWriteFailsAndLeavesNoFile)
{
    const char* path = "settings_limit.qz8";
    std::remove(path);
    currentSetting = ClockSetting{133.0f, 4};

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 10;
    auto previous = signal(SIGXFSZ, SIG_IGN);  // get EFBIG instead of the signal
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t result = writeSettingsFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(result, 0);
    EXPECT_NE(access(path, F_OK), 0) << "a partial settings file was left behind";
    std::remove(path);
}

}  // namespace

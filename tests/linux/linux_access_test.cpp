// The Linux back end of qz8fsb-cli as far as it runs without port access:
// the preflight, MSR reads from a file, the port guard, a channel that is not
// loaded, and the bus lock between two holders.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/linux/linux_bus_lock.h"
#include "platform/linux/linux_channel.h"
#include "platform/linux/linux_preflight.h"
#include "platform/linux/msr_file.h"
#include "platform/x86/port_guard.h"
#include "support/recording.h"

namespace {

constexpr char kMissingMsr[] = "/nonexistent/cpu/0/msr";
constexpr uid_t kNobody = 65534;

// A folder of its own for each test's files.
class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/qz8-linux-XXXXXX";
        path_ = mkdtemp(name) != nullptr ? name : "";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

int64_t nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Runs `job` in a child process and returns what it wrote to the pipe.
template <typename Job>
std::string inChild(Job job)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const std::string text = job();
        const ssize_t written = write(pipeEnds[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

TEST(LinuxPreflight, NamesWhatIsMissing)
{
    const std::string notRoot = "must run as root: port access and /nonexistent/cpu/0/msr need it";
    if (geteuid() != 0) {
        EXPECT_EQ(linuxAccessProblem(kMissingMsr), notRoot);
        GTEST_SKIP() << "the other checks need root";
    }
    EXPECT_EQ(linuxAccessProblem(kMissingMsr),
              "/nonexistent/cpu/0/msr is missing: load the msr module (modprobe msr)");
    // An ordinary user, in a child that gives up root.
    EXPECT_EQ(inChild([] { return setuid(kNobody) == 0 ? linuxAccessProblem(kMissingMsr) : "setuid failed"; }),
              notRoot);
    // With the device there, port access is what is left to check.
    TempFolder folder;
    const std::string msr = folder.file("msr");
    std::FILE* made = std::fopen(msr.c_str(), "w");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    const std::string problem = linuxAccessProblem(msr.c_str());
    if (!problem.empty()) {
        EXPECT_EQ(problem.rfind("iopl(3) was refused (", 0), 0u) << problem;
    }
}

TEST(MsrFile, ReadsEightBytesAtTheRegistersIndex)
{
    TempFolder folder;
    const std::string path = folder.file("msr");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    // Registers 0x20 and 0x28, little-endian; the file ends 4 bytes into 0x2C.
    unsigned char bytes[0x30] = {};
    const unsigned char value[8] = {0x0D, 0x00, 0x00, 0x12, 0x78, 0x56, 0x34, 0x12};
    for (int i = 0; i < 8; ++i) {
        bytes[0x20 + i] = static_cast<unsigned char>(0xA0 + i);
        bytes[0x28 + i] = value[i];
    }
    ASSERT_EQ(std::fwrite(bytes, 1, sizeof bytes, file), sizeof bytes);
    std::fclose(file);

    MsrFile msr;
    uint32_t low = 0;
    uint32_t high = 0;
    EXPECT_FALSE(msr.read(0x20, low, high)) << "not open";
    EXPECT_FALSE(msr.open(kMissingMsr));
    ASSERT_TRUE(msr.open(path.c_str()));
    ASSERT_TRUE(msr.read(0x28, low, high));
    EXPECT_EQ(low, 0x1200000Du);
    EXPECT_EQ(high, 0x12345678u);
    ASSERT_TRUE(msr.read(0x20, low, high));
    EXPECT_EQ(low, 0xA3A2A1A0u);
    EXPECT_EQ(high, 0xA7A6A5A4u);
    // Fewer than 8 bytes, as a register the processor lacks gives none.
    low = high = 7;
    EXPECT_FALSE(msr.read(0x2C, low, high));
    EXPECT_EQ(low, 7u);
    EXPECT_EQ(high, 7u);
    msr.close();
    EXPECT_FALSE(msr.read(0x20, low, high));
}

TEST(PortGuard, RefusesCyclesThatReachAnotherPort)
{
    struct Case {
        uint32_t port;
        bool dword;
        bool safe;
    };
    const Case cases[] = {
        {0xCF8, true, true},   {0xCFC, true, true},    {0xCF8, false, true},   {0xCFA, false, true},
        {0xCF9, false, false}, {0xCF9, true, false},   {0xCF6, true, false},   {0xCFA, true, false},
        {0xFFFF, false, true}, {0xFFFC, true, true},   {0xFFFD, true, false},  {0x10000, false, false},
        {0x1CF9, false, true}, {0x10CF8, true, false}, {0xE800, false, true},  {0xFFFFFFFF, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isSafePortCycle(c.port, c.dword), c.safe) << std::hex << c.port << (c.dword ? " dword" : " byte");
}

// Without port access, a port instruction would fault: these must not run one.
TEST(LinuxChannel, UnloadedOrRefusedItTouchesNothing)
{
    RecordingNotifier notifier;
    installPlatform(Platform{nullptr, nullptr, nullptr, &notifier});
    LinuxChannel channel(kMissingMsr);
    uint8_t byte = 0x5A;
    uint32_t dword = 0x5A5A5A5A;
    uint32_t low = 0;
    uint32_t high = 0;
    EXPECT_EQ(channel.openDevice(), 0);
    EXPECT_EQ(channel.inByte(0x80, byte), 0);
    EXPECT_EQ(channel.inDword(0xCF8, dword), 0);
    EXPECT_EQ(channel.outByte(0x80, 0), 0);
    EXPECT_EQ(channel.outDword(0xCF8, 0), 0);
    EXPECT_EQ(channel.readMsr(0x2C, low, high), 0);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(dword, 0x5A5A5A5Au);
    EXPECT_FALSE(channel.reloadOnOpenFailure());

    // Either port access is refused here or the msr device is missing: the
    // load fails and says which.
    EXPECT_EQ(channel.loadDriver(), 0);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    const std::string& said = notifier.boxes[0].text;
    EXPECT_TRUE(said.rfind("iopl(3) was refused: ", 0) == 0 ||
                said == "cannot open /nonexistent/cpu/0/msr: No such file or directory")
        << said;
    EXPECT_EQ(channel.openDevice(), 0);
    EXPECT_EQ(channel.inByte(0x80, byte), 0);
    channel.unloadDriver();
    installPlatform(Platform{});
}

TEST(LinuxBusLock, OneHolderAtATime)
{
    TempFolder folder;
    const std::string path = folder.file("bus.lock");
    LinuxBusLock first(path, path);
    LinuxBusLock second(path, path);
    ASSERT_TRUE(first.acquire(0));
    EXPECT_TRUE(first.acquire(0)) << "held already";

    const int64_t start = nowMs();
    EXPECT_FALSE(second.acquire(60));
    EXPECT_GE(nowMs() - start, 60) << "gave up before its time";

    first.release();
    EXPECT_TRUE(second.acquire(0));
    second.release();

    // Another process holding it: refused until that one ends.
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(done[1]);  // else the read below never sees the end
        LinuxBusLock holder(path, path);
        const char held = holder.acquire(0) ? 'y' : 'n';
        char ignored = 0;
        const bool told = write(ready[1], &held, 1) == 1;
        const bool heard = read(done[0], &ignored, 1) >= 0;
        _exit(told && heard ? 0 : 1);
    }
    char held = 0;
    EXPECT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_FALSE(first.acquire(30));
    close(done[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(first.acquire(0)) << "a lock is let go when its holder ends";
    first.release();
    for (int fd : {ready[0], ready[1], done[0]}) close(fd);
}

TEST(LinuxBusLock, FallsBackWhereTheFirstFolderIsMissing)
{
    TempFolder folder;
    const std::string fallback = folder.file("fallback.lock");
    LinuxBusLock lock(folder.file("missing/bus.lock"), fallback);
    EXPECT_TRUE(lock.acquire(0));
    EXPECT_EQ(access(fallback.c_str(), F_OK), 0);
    lock.release();

    LinuxBusLock nowhere(folder.file("missing/a.lock"), folder.file("missing/b.lock"));
    EXPECT_FALSE(nowhere.acquire(0)) << "no lock file: the bus is not shared safely";
}

}  // namespace

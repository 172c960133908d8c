// The Linux back end of qz8fsb-cli as far as it runs without port access:
// the preflight, MSR reads from a file, the port guard, a channel that is not
// loaded, and the bus lock between two holders.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

#include "platform/linux/linux_bus_lock.h"
#include "platform/linux/linux_channel.h"
#include "platform/linux/linux_preflight.h"
#include "platform/linux/msr_file.h"
#include "clock/smbus.h"
#include "driver/smbus_locator.h"
#include "hw/hw_channel.h"
#include "hw/pci.h"
#include "platform/linux/linux_port_rules.h"
#include "platform/linux/sysfs_config.h"
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
    // Made empty; "" when that failed.
    std::string emptyFile(const char* name) const
    {
        std::FILE* made = std::fopen(file(name).c_str(), "w");
        if (made == nullptr) return "";
        std::fclose(made);
        return file(name);
    }
    std::string folder(const char* name) const { return mkdir(file(name).c_str(), 0755) == 0 ? file(name) : ""; }

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

// Makes iopl() answer 0 without granting anything, for this process and its
// children: loading then runs past the port access step on a kernel that
// refuses it, and any port instruction would still fault.
bool portAccessSeeminglyGranted()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_iopl, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// How many of this process's descriptors name `path`.
int descriptorsOf(const std::string& path)
{
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) return -1;
    while (const dirent* entry = readdir(folder)) {
        char target[512];
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 && path == std::string(target, static_cast<size_t>(length))) ++count;
    }
    closedir(folder);
    return count;
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
    const std::string msr = folder.emptyFile("msr");
    ASSERT_FALSE(msr.empty());
    const std::string problem = linuxAccessProblem(msr.c_str());
    if (!problem.empty()) {
        EXPECT_EQ(problem.rfind("iopl(3) was refused (", 0), 0u) << problem;
    }
    // A command that reads no MSR does not need the device at all.
    EXPECT_EQ(linuxAccessProblem(""), problem);
}

// Root without CAP_SYS_RAWIO (root in a container, or with the capability
// dropped) is refused iopl(3), and the preflight says so.
TEST(LinuxPreflight, RootWithoutRawIoGetsNoPortAccess)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    const std::string said = inChild([] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (syscall(SYS_capget, &header, data) != 0) return std::string("capget failed");
        data[CAP_SYS_RAWIO / 32].effective &= ~(1u << (CAP_SYS_RAWIO % 32));
        if (syscall(SYS_capset, &header, data) != 0) return std::string("capset failed");
        return linuxAccessProblem("");
    });
    EXPECT_EQ(said.rfind("iopl(3) was refused (", 0), 0u) << said;
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

TEST(LinuxPortRules, TheSmbusBlockAloneWhenTheKernelServesConfigurationSpace)
{
    using zornik::Access;
    struct Case {
        Access access;
        uint32_t port;
        bool raw, sysfs;  // allowed with raw configuration ports, with the kernel's
    };
    const Case cases[] = {
        {Access::InByte, 0xE800, true, true},    {Access::OutByte, 0xE807, true, true},
        {Access::InByte, 0xE808, false, false},  {Access::InByte, 0xE7FF, false, false},
        {Access::InDword, 0xE800, false, false}, {Access::InDword, 0xCF8, true, false},
        {Access::OutDword, 0xCF8, true, false},  {Access::InDword, 0xCFC, true, false},
        {Access::OutDword, 0xCFC, false, false}, {Access::OutByte, 0xCF8, true, false},
        {Access::InByte, 0xCFA, true, false},    {Access::OutByte, 0xCF9, false, false},
        {Access::InDword, 0xCF9, false, false},  {Access::InByte, 0x80, false, false},
        {Access::InByte, 0x1E800, false, false}, {Access::ReadMsr, 0x2C, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.port << " access " << static_cast<int>(c.access));
        EXPECT_EQ(linuxAllowsPort(c.access, c.port, 0xE800, false), c.raw);
        EXPECT_EQ(linuxAllowsPort(c.access, c.port, 0xE800, true), c.sysfs);
    }
    EXPECT_FALSE(linuxAllowsPort(zornik::Access::InByte, 0x0000, 0, true)) << "no block found: no SMBus port";
}

// The kernel's configuration space: a tree of config files as sysfs holds
// them, read through the whole PCI path without a port cycle.
class ChannelOnSysfs final : public ChannelBackend {
public:
    explicit ChannelOnSysfs(std::string root) : root_(std::move(root)) {}
    int32_t loadDriver() override { return 1; }
    void unloadDriver() override {}
    int32_t openDevice() override { return 1; }
    bool reloadOnOpenFailure() const override { return false; }
    void closeDevice() override {}
    int32_t inByte(uint32_t, uint8_t&) override { return portCycle(); }
    int32_t inDword(uint32_t, uint32_t&) override { return portCycle(); }
    int32_t outByte(uint32_t, uint8_t) override { return portCycle(); }
    int32_t outDword(uint32_t, uint32_t) override { return portCycle(); }
    int32_t readMsr(uint32_t, uint32_t&, uint32_t&) override { return 0; }
    bool osConfigSpace() const override { return true; }
    uint32_t readConfigDword(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) override
    {
        return readSysfsConfigDword(root_.c_str(), bus, device, function, offset);
    }
    uint32_t portCycles = 0;

private:
    int32_t portCycle()
    {
        ++portCycles;
        return 0;
    }
    std::string root_;
};

TEST(SysfsConfig, TheScanAndTheSmbusBlockComeFromTheKernelsFiles)
{
    TempFolder folder;
    const std::string root = folder.file("devices");
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    auto function = [&](const char* name, std::initializer_list<std::pair<uint32_t, uint32_t>> dwords) {
        const std::string dir = root + "/" + name;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        unsigned char config[256] = {};
        for (const auto& [offset, value] : dwords)
            for (uint32_t i = 0; i < 4; ++i) config[offset + i] = static_cast<unsigned char>(value >> (8 * i));
        std::FILE* file = std::fopen((dir + "/config").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(config, 1, sizeof config, file), sizeof config);
        std::fclose(file);
    };
    function("0000:00:00.0", {{0x00, 0x25308086}, {0x08, 0x06000004}});
    function("0000:00:1f.0", {{0x00, 0x24408086}, {0x08, 0x06010012}, {0x0C, 0x00800000}});  // multi-function
    // ICH2 SMBus: a base register with its I/O flag and bits 3..1 set.
    function("0000:00:1f.3", {{0x00, 0x24438086}, {0x08, 0x0C050012}, {0x20, 0xE80F}});
    function("0000:02:08.0", {{0x00, 0x24498086}, {0x08, 0x02000003}});

    EXPECT_TRUE(sysfsConfigAvailable(root.c_str()));
    EXPECT_FALSE(sysfsConfigAvailable(folder.file("none").c_str()));
    EXPECT_EQ(readSysfsConfigDword(root.c_str(), 0, 0x1F, 3, 0x20), 0xE80Fu);
    EXPECT_EQ(readSysfsConfigDword(root.c_str(), 0, 0x1F, 4, 0x00), 0xFFFFFFFFu) << "an absent function";
    // A file that ends inside the dword: half a base register is no base.
    const std::string cut = root + "/0000:00:1e.0";
    ASSERT_EQ(mkdir(cut.c_str(), 0755), 0);
    unsigned char cutBytes[0x22] = {};
    cutBytes[0x20] = 0x0F;
    cutBytes[0x21] = 0xE8;
    std::FILE* cutFile = std::fopen((cut + "/config").c_str(), "wb");
    ASSERT_NE(cutFile, nullptr);
    ASSERT_EQ(std::fwrite(cutBytes, 1, sizeof cutBytes, cutFile), sizeof cutBytes);
    std::fclose(cutFile);
    EXPECT_EQ(readSysfsConfigDword(root.c_str(), 0, 0x1E, 0, 0x20), 0xFFFFFFFFu) << "a short read";
    ASSERT_EQ(std::filesystem::remove_all(cut), 2u);

    ChannelOnSysfs channel(root);
    RecordingNotifier notifier;
    installPlatform(Platform{&channel, nullptr, nullptr, &notifier});
    resetHwChannel();
    pciDeviceTable = PciDeviceTable{};
    smbusPorts = SmbusPorts{};
    driverLoaded = loadDriver();
    ASSERT_EQ(openDevice(), 1);
    scanPciBus();
    findSmbusController();
    closeDevice();
    EXPECT_EQ(pciDeviceTable.count, 4u);
    EXPECT_EQ(pciDeviceTable.records[3].bus, 2u);
    EXPECT_EQ(pciDeviceTable.records[2].subclass, 0x05u);
    EXPECT_EQ(smbusPorts.base, 0xE800u) << "bits 3..0 are no part of the base";
    EXPECT_EQ(channel.portCycles, 0u);
    EXPECT_EQ(zornik::locateSmbusBase(
                  [](void* r, uint32_t d, uint32_t f, uint32_t o) {
                      return readSysfsConfigDword(static_cast<const char*>(r), 0, d, f, o);
                  },
                  const_cast<char*>(root.c_str())),
              0xE800);
    resetHwChannel();
    pciDeviceTable = PciDeviceTable{};
    smbusPorts = SmbusPorts{};
    installPlatform(Platform{});
}

// Without port access, a port instruction would fault: these must not run one.
TEST(LinuxChannel, UnloadedOrRefusedItTouchesNothing)
{
    RecordingNotifier notifier;
    installPlatform(Platform{nullptr, nullptr, nullptr, &notifier});
    LinuxChannel channel(LinuxAccessPaths{kMissingMsr, ""});
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

// The kernel serves configuration space wherever sysfs is mounted: it takes
// its lock around each access, which keeps a driver's accesses and ours
// apart. A root that is missing, named by nothing or not a folder leaves
// the raw ports.
TEST(LinuxChannel, ConfigurationSpaceFromTheKernelWhereverSysfsIsMounted)
{
    TempFolder folder;
    const std::string mounted = folder.folder("devices");
    const std::string plain = folder.emptyFile("plain");
    ASSERT_FALSE(mounted.empty() || plain.empty());
    const struct {
        std::string root;
        bool kernel;
    } cases[] = {{mounted, true}, {folder.file("none"), false}, {plain, false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        EXPECT_EQ(sysfsConfigAvailable(c.root.c_str()), c.kernel);
        EXPECT_EQ(LinuxChannel(LinuxAccessPaths{kMissingMsr, c.root}).osConfigSpace(), c.kernel);
    }
}

// Past port access: a msr device that does not open ends loading with one
// box, and unloading lets the device go. sysfs serves the SMBus block search,
// so no port instruction runs.
TEST(LinuxChannel, LoadingNeedsTheMsrDeviceAndUnloadingClosesIt)
{
    TempFolder folder;
    const std::string sysfs = folder.folder("devices");
    const std::string msr = folder.emptyFile("msr");
    ASSERT_FALSE(sysfs.empty() || msr.empty());
    const std::string said = inChild([&] {
        if (!portAccessSeeminglyGranted()) return std::string("no seccomp filter");
        RecordingNotifier notifier;
        installPlatform(Platform{nullptr, nullptr, nullptr, &notifier});
        LinuxChannel missing(LinuxAccessPaths{kMissingMsr, sysfs});
        std::string out = std::to_string(missing.loadDriver());
        out += std::to_string(missing.openDevice());
        for (const ShownMessage& box : notifier.boxes) out += " [" + box.text + "]";
        LinuxChannel channel(LinuxAccessPaths{msr, sysfs});
        out += " loaded " + std::to_string(channel.loadDriver());
        out += ", open " + std::to_string(descriptorsOf(msr));
        channel.unloadDriver();
        out += ", unloaded " + std::to_string(descriptorsOf(msr));
        return out;
    });
    EXPECT_EQ(said, "00 [cannot open /nonexistent/cpu/0/msr: No such file or directory] loaded 1, open 1, unloaded 0");
}

TEST(LinuxBusLock, OneHolderAtATime)
{
    TempFolder folder;
    const std::string path = folder.file("bus.lock");
    LinuxBusLock first(path);
    LinuxBusLock second(path);
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
        LinuxBusLock holder(path);
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

// Without its lock file the bus is not shared safely: refused. A link at
// the path is never followed to the file it names.
TEST(LinuxBusLock, NoLockFileNoBus)
{
    TempFolder folder;
    LinuxBusLock nowhere(folder.file("missing/bus.lock"));
    EXPECT_FALSE(nowhere.open());
    EXPECT_FALSE(nowhere.acquire(0));

    const std::string target = folder.file("system-file");
    std::FILE* made = std::fopen(target.c_str(), "w");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    const std::string link = folder.file("bus.lock");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    LinuxBusLock linked(link);
    EXPECT_FALSE(linked.acquire(0));
    const int fd = open(target.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0) << "the link's target was not locked";
    close(fd);
}

}  // namespace

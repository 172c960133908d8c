// The production back end's NT line under Wine, with no driver file present.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "hw/hw_channel.h"
#include "platform/win32/win32_channel.h"
#include "support/recording.h"

namespace {

bool serviceRegistered()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        ADD_FAILURE() << "no service manager: " << GetLastError();
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, "iogate", SERVICE_QUERY_STATUS);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != nullptr;
}

// A registration marked for deletion goes once the service has stopped and
// its last handle is closed, which can come a moment after DeleteService.
bool serviceRemovedSoon()
{
    for (int poll = 0; poll < 100; ++poll) {
        if (!serviceRegistered()) return true;
        Sleep(100);
    }
    return false;
}

void registerServiceByHand(const char* path)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    SC_HANDLE service = CreateServiceA(manager, "iogate", "iogate", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, nullptr, nullptr, nullptr,
                                       nullptr, nullptr);
    ASSERT_NE(service, nullptr) << GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

void removeServiceByHand()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    if (SC_HANDLE service = OpenServiceA(manager, "iogate", SERVICE_ALL_ACCESS)) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

// A fresh, empty directory to run in: no zornik.sys there.
std::string makeEmptyDirectory(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

class Win32ChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeServiceByHand();
        resetHwChannel();
        installPlatform(Platform{&channel, nullptr, nullptr, &notifier});
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        SetCurrentDirectoryA(makeEmptyDirectory("qz8-no-driver").c_str());
    }
    void TearDown() override
    {
        channel.unloadDriver();
        SetCurrentDirectoryA(savedDirectory);
        removeServiceByHand();
        resetHwChannel();
    }

    Win32Channel channel;
    RecordingNotifier notifier;
    char savedDirectory[MAX_PATH] = {};
};

TEST_F(Win32ChannelTest, MissingDriverFileFailsTheStartAndLeavesNoServiceBehind)
{
    driverLoaded = loadDriver();
    EXPECT_EQ(driverLoaded, 0);
    EXPECT_EQ(channel.line(), Win32Channel::Line::Nt);
    const std::string path = channel.driverPath();
    ASSERT_GT(path.size(), 11u);
    EXPECT_EQ(path.substr(path.size() - 11), "\\zornik.sys");
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "failure: Start Service");
    EXPECT_EQ(notifier.boxes[0].caption, "Driver Error");
    EXPECT_EQ(notifier.boxes[0].icon, kIconError);

    unloadDriver();
    EXPECT_TRUE(serviceRemovedSoon());
}

TEST_F(Win32ChannelTest, SecondUnloadDoesNothing)
{
    driverLoaded = loadDriver();
    unloadDriver();
    ASSERT_NO_FATAL_FAILURE(registerServiceByHand("C:\\elsewhere\\zornik.sys"));
    unloadDriver();
    EXPECT_TRUE(serviceRegistered()) << "the second call must not touch the service";
}

TEST_F(Win32ChannelTest, ExistingRegistrationIsReusedAndRemovedAtExit)
{
    ASSERT_NO_FATAL_FAILURE(registerServiceByHand("C:\\elsewhere\\zornik.sys"));
    driverLoaded = loadDriver();
    ASSERT_FALSE(notifier.boxes.empty());
    EXPECT_EQ(notifier.boxes[0].text, "failure: Start Service") << "creation found the service and went on";
    unloadDriver();
    EXPECT_TRUE(serviceRemovedSoon());
}

TEST_F(Win32ChannelTest, CurrentDirectoryTooLongForTheDriverPathIsRefused)
{
    // 250 characters: a valid current directory, but no room for "\\zornik.sys".
    std::string dir = makeEmptyDirectory("qz8-long");
    while (dir.size() < 250) {
        const size_t room = 250 - dir.size() - 1;
        dir += "\\" + std::string(room < 40 ? room : 40, 'd');
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str())) << dir.size();
    driverLoaded = loadDriver();
    EXPECT_EQ(driverLoaded, 0);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "failure: CreateService");
    EXPECT_FALSE(serviceRegistered());
}

TEST_F(Win32ChannelTest, WithoutTheDeviceEveryRequestFailsAndReadsYieldZero)
{
    driverLoaded = 1;  // as if the service had started
    EXPECT_EQ(channel.openDevice(), 0);
    uint8_t byte = 0x77;
    uint32_t dword = 0x77;
    EXPECT_EQ(readPortByte(0xCF8, byte), 0);
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(readPortDword(0xCFC, dword), 0);
    EXPECT_EQ(dword, 0u);
    EXPECT_EQ(writePortByte(0xCF8, 0), 0);
    notifier.boxes.clear();
    uint32_t high = 5;
    uint32_t low = 6;
    EXPECT_EQ(readMsr(0x2C, high, low), 0);
    EXPECT_EQ(high, 5u);
    EXPECT_EQ(low, 6u);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Device does not support the requested API");
}

}  // namespace

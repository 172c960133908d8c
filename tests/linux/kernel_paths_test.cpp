// What the Linux back end reads of the kernel's own state: the lockdown
// mode behind a refused iopl(3), and the i2c adapter a PCI function's driver
// made, from trees of our own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/kernel_driver.h"
#include "platform/linux/linux_preflight.h"

namespace {

class Tree : public ::testing::Test {
protected:
    void SetUp() override
    {
        char made[] = "/tmp/qz8-kernel-XXXXXX";
        ASSERT_NE(mkdtemp(made), nullptr);
        root = made;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string root;
};

TEST_F(Tree, ARefusedIoplUnderLockdownSaysSoAndWhatToDoInstead)
{
    const std::string generic =
        "iopl(3) was refused (Operation not permitted): the kernel gives no port access here (kernel lockdown, a "
        "container without CAP_SYS_RAWIO, or a kernel built without CONFIG_X86_IOPL_IOPERM)";
    const std::string locked = "iopl(3) was refused (Operation not permitted): the kernel is locked down (";
    const std::string then = "), and a locked-down kernel gives no program port access; load its SMBus driver";
    struct Case {
        const char* file;  // the lockdown file's line; nullptr: no file
        std::string said;
    };
    const Case cases[] = {
        {"none [integrity] confidentiality\n", locked + "integrity" + then},
        {"none integrity [confidentiality]\n", locked + "confidentiality" + then},
        {"[none] integrity confidentiality\n", generic},
        {"", generic},
        {nullptr, generic},
    };
    const std::string path = root + "/lockdown";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file != nullptr ? c.file : "no file");
        std::remove(path.c_str());
        if (c.file != nullptr) std::ofstream(path) << c.file;
        EXPECT_EQ(portRefusal(EPERM, "load its SMBus driver", path.c_str()), c.said);
    }
}

TEST_F(Tree, TheAdapterOfAFunctionAndTheClientsOnIt)
{
    const std::string function = root + "/0000:00:1f.3";
    for (const std::string& folder : {function, function + "/i2c-12", function + "/i2c-3", function + "/i2c-x",
                                     function + "/power", root + "/i2c-3", root + "/3-0069"})
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    std::ofstream(root + "/i2c-3/name") << "SMBus I801 adapter at e800\n";
    ASSERT_EQ(symlink("../../../bus/i2c/drivers/ics932s401", (root + "/3-0069/driver").c_str()), 0);

    EXPECT_EQ(pciI2cAdapter(root.c_str(), 0, 0x1F, 3), 3) << "the lowest of its adapters";
    EXPECT_EQ(pciI2cAdapter(root.c_str(), 0, 0x1F, 4), -1) << "no such function";
    EXPECT_EQ(i2cAdapterName(root.c_str(), 3), "SMBus I801 adapter at e800");
    EXPECT_EQ(i2cAdapterName(root.c_str(), 4), "");
    EXPECT_EQ(i2cClientDriver(root.c_str(), 3, 0x69), "ics932s401");
    EXPECT_EQ(i2cClientDriver(root.c_str(), 3, 0x50), "");
    EXPECT_STREQ(smbusHostModule(0x8086, 0x2443), "i2c_i801");
    EXPECT_STREQ(smbusHostModule(0x8086, 0x7113), "i2c_piix4");
    EXPECT_EQ(smbusHostModule(0x1039, 0x0009), nullptr);
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/command_line.h"

namespace {

struct ScanCase {
    const char* commandLine;
    FileArgument expected;
    const char* path;
};

class CommandLineScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(CommandLineScan, FindsThePathAfterTheFirstSwitch)
{
    const ScanCase& c = GetParam();
    char path[kBatchPathSize];
    std::memset(path, 'z', sizeof path);
    EXPECT_EQ(findFileArgument(c.commandLine, path), c.expected) << c.commandLine;
    EXPECT_STREQ(path, c.path) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CommandLineScan,
    ::testing::Values(ScanCase{"-file=C:\\settings\\fast.qz8", FileArgument::Path, "C:\\settings\\fast.qz8"},
                      ScanCase{"-file=a.qz8 -x", FileArgument::Path, "a.qz8"},
                      ScanCase{"-file=   a.qz8", FileArgument::Path, "a.qz8"},
                      ScanCase{"-file=\t\r\n\v\fa.qz8\tb", FileArgument::Path, "a.qz8"},
                      ScanCase{"-x-file=a.qz8", FileArgument::Path, "a.qz8"},
                      ScanCase{"-FILE=a.qz8", FileArgument::Absent, ""},
                      ScanCase{"", FileArgument::Absent, ""},
                      ScanCase{"-file=first.qz8 -file=second.qz8", FileArgument::Path, "first.qz8"},
                      ScanCase{"-file=\"C:\\My Files\\a.qz8\"", FileArgument::Path, "\"C:\\My"},
                      ScanCase{"-x -file=", FileArgument::Path, ""},
                      ScanCase{"-file=    ", FileArgument::Path, ""}));

TEST(CommandLineLength, APathOf255CharactersFitsAndOneMoreIsRefused)
{
    char path[kBatchPathSize];
    const std::string fits(255, 'p');
    EXPECT_EQ(findFileArgument(("-file=" + fits + " -x").c_str(), path), FileArgument::Path);
    EXPECT_EQ(std::string(path), fits);

    for (size_t length : {256u, 300u}) {
        const std::string tooLong(length, 'p');
        EXPECT_EQ(findFileArgument(("-file=" + tooLong).c_str(), path), FileArgument::TooLong) << length;
        EXPECT_STREQ(path, "") << length;
    }
}

}  // namespace

// findFileArgument over any bytes as the command line.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "fuzz/fuzz_check.h"

namespace {

bool isWhiteSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An embedded NUL ends the command line there, as it would in the program.
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    char path[kBatchPathSize];
    std::memset(path, 'z', sizeof path);
    const FileArgument found = findFileArgument(commandLine.c_str(), path);

    FUZZ_CHECK(std::memchr(path, '\0', sizeof path) != nullptr);
    const char* afterSwitch = std::strstr(commandLine.c_str(), "-file=");
    FUZZ_CHECK((found == FileArgument::Absent) == (afterSwitch == nullptr));
    if (found == FileArgument::Absent) {
        FUZZ_CHECK(path[0] == '\0');
        return 0;
    }
    afterSwitch += std::strlen("-file=");

    // The run the path comes from: after the white space that follows the switch.
    const char* run = afterSwitch;
    while (isWhiteSpace(*run)) ++run;
    size_t runLength = 0;
    while (run[runLength] != '\0' && !isWhiteSpace(run[runLength])) ++runLength;

    if (found == FileArgument::TooLong) {
        FUZZ_CHECK(runLength >= 256);
        FUZZ_CHECK(path[0] == '\0');
        return 0;
    }
    FUZZ_CHECK(found == FileArgument::Path);
    const size_t length = std::strlen(path);
    FUZZ_CHECK(length == runLength);
    for (size_t i = 0; i < length; ++i) FUZZ_CHECK(!isWhiteSpace(path[i]));
    FUZZ_CHECK(std::strstr(afterSwitch, path) != nullptr);
    return 0;
}

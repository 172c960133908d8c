#include "app/command_line.h"

#include <cstring>

namespace {

constexpr char kFileSwitch[] = "-file=";

// The white space of the C locale's isspace, without its locale dependence.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

FileArgument findFileArgument(const char* commandLine, char (&path)[kBatchPathSize])
{
    path[0] = '\0';
    const char* found = std::strstr(commandLine, kFileSwitch);
    if (found == nullptr) return FileArgument::Absent;

    const char* start = found + (sizeof kFileSwitch - 1);
    while (isBlank(*start)) ++start;
    size_t length = 0;
    while (start[length] != '\0' && !isBlank(start[length])) ++length;

    if (length >= kBatchPathSize) return FileArgument::TooLong;
    std::memcpy(path, start, length);
    path[length] = '\0';
    return FileArgument::Path;
}

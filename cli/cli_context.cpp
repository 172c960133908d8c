#include "cli/cli_context.h"

#include <cstdarg>

void say(std::FILE* err, const char* format, ...)
{
    std::fprintf(err, "%s: ", kProgramName);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(err, format, arguments);
    va_end(arguments);
    std::fputc('\n', err);
}

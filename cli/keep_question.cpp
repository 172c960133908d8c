#include "cli/keep_question.h"

#include <poll.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/cli_context.h"

namespace {

int64_t nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool isYes(std::string answer)
{
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ' || answer.back() == '\t')) answer.pop_back();
    const size_t start = answer.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    answer.erase(0, start);
    return strcasecmp(answer.c_str(), "y") == 0 || strcasecmp(answer.c_str(), "yes") == 0;
}

}  // namespace

bool userKeeps(int input, uint32_t seconds, std::FILE* err, const char* question)
{
    std::fprintf(err, "%s: %s [y/N, %u s] ", kProgramName, question, seconds);
    std::fflush(err);
    const int64_t deadline = nowMs() + int64_t{seconds} * 1000;
    std::string line;
    for (;;) {
        const int64_t left = deadline - nowMs();
        if (left <= 0) break;
        pollfd wait{input, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        char c = 0;
        const ssize_t got = read(input, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // end of input: nobody is there to answer
        if (c == '\n') {
            // A terminal has echoed the line and its end already.
            if (isatty(input) != 1) std::fputc('\n', err);
            return isYes(line);
        }
        if (line.size() < 64) line.push_back(c);
    }
    std::fputc('\n', err);
    return false;
}

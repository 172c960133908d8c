#include "cli/keep_question.h"

#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/cli_context.h"
#include "cli/held_signals.h"

namespace {

// Longer lines are no answer anybody typed on purpose.
constexpr size_t kMaxLine = 64;

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

void show(const QuestionPlace& place, const char* text)
{
    if (place.output >= 0) {
        // A terminal that hung up takes nothing: the answer is no anyway.
        const ssize_t written = write(place.output, text, std::strlen(text));
        (void)written;
        return;
    }
    std::fputs(text, place.messages);
    std::fflush(place.messages);
}

}  // namespace

KeepReply askToKeep(const QuestionPlace& place, uint32_t seconds, HeldSignals& signals, const char* question)
{
    // An answer typed before the question was there answers nothing.
    if (place.terminal) tcflush(place.input, TCIFLUSH);
    char prompt[160];
    std::snprintf(prompt, sizeof prompt, "%s: %s [y/N, %u s] ", kProgramName, question, seconds);
    show(place, prompt);
    const int64_t deadline = nowMs() + int64_t{seconds} * 1000;
    std::string line;
    for (;;) {
        if (const int signal = signals.take(); signal != 0) {
            show(place, "\n");
            return KeepReply{KeepAnswer::Interrupted, signal};
        }
        const int64_t left = deadline - nowMs();
        if (left <= 0) break;
        pollfd waits[2] = {{place.input, POLLIN, 0}, {signals.descriptor(), POLLIN, 0}};
        const int ready = poll(waits, signals.descriptor() >= 0 ? 2 : 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return KeepReply{KeepAnswer::NoInput, 0};
        if (ready == 0) break;
        if ((waits[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0) continue;  // a signal: taken above
        char c = 0;
        const ssize_t got = read(place.input, &c, 1);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        // The end of the input, or a terminal that hung up: nobody is there.
        if (got <= 0) {
            show(place, "\n");
            return KeepReply{KeepAnswer::NoInput, 0};
        }
        if (c == '\n') {
            // A terminal has echoed the line and its end already.
            if (!place.terminal) show(place, "\n");
            return KeepReply{isYes(line) ? KeepAnswer::Yes : KeepAnswer::Declined, 0};
        }
        if (line.size() < kMaxLine) line.push_back(c);
    }
    show(place, "\n");
    return KeepReply{KeepAnswer::NoAnswer, 0};
}

QuestionPlace openQuestionPlace(const char* path, int standardInput, std::FILE* messages)
{
    if (path != nullptr) {
        const int fd = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) return QuestionPlace{fd, fd, messages, isatty(fd) == 1};
    }
    return QuestionPlace{standardInput, -1, messages, isatty(standardInput) == 1};
}

void closeQuestionPlace(const QuestionPlace& place)
{
    if (place.output >= 0) close(place.output);
}

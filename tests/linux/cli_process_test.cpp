// qz8fsb-cli as its own process on the simulated board: real signals at the
// points its trace shows, a terminal that hangs up, and a question that is
// seen before it can be answered.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(20);

std::string readWhole(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// How the program's standard streams are joined up.
enum class Streams {
    Pipes,           // no controlling terminal; input from a pipe, both outputs into one pipe
    Terminal,        // a pseudo-terminal is the controlling terminal and every stream
    TerminalNoErrors // the same, with standard error to /dev/null
};

class CliProcess : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {input_, output_})
            if (fd >= 0) close(fd);
        std::remove(trace_.c_str());
    }

    void start(Streams streams, const std::string& scenario, const char* confirm)
    {
        const std::string sim = scenario + " trace=" + trace_;
        std::vector<std::string> words{QZ8_CLI_PROGRAM, "--sim", sim, "--confirm", confirm, "set", "150", "1/5"};
        int toChild[2] = {-1, -1};
        int fromChild[2] = {-1, -1};
        int master = -1;
        int slave = -1;
        if (streams == Streams::Pipes) {
            ASSERT_EQ(pipe(toChild), 0);
            ASSERT_EQ(pipe(fromChild), 0);
        } else {
            ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        }
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            setsid();  // no controlling terminal, until a terminal is opened
            if (streams == Streams::Pipes) {
                dup2(toChild[0], 0);
                dup2(fromChild[1], 1);
                dup2(fromChild[1], 2);
            } else {
                const int terminal = open(ttyname(slave), O_RDWR);  // becomes the controlling terminal
                const int null = open("/dev/null", O_WRONLY);
                dup2(terminal, 0);
                dup2(terminal, 1);
                dup2(streams == Streams::Terminal ? terminal : null, 2);
            }
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            for (int fd = 3; fd < 64; ++fd) close(fd);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (streams == Streams::Pipes) {
            close(toChild[0]);
            close(fromChild[1]);
            input_ = toChild[1];
            output_ = fromChild[0];
        } else {
            close(slave);
            input_ = master;
            output_ = master;
        }
        fcntl(output_, F_SETFL, O_NONBLOCK);
    }

    // Reads what the program wrote until `text` shows; false after the
    // patience ran out.
    bool waitForOutput(const std::string& text)
    {
        const Clock::time_point end = Clock::now() + kPatience;
        while (drain().find(text) == std::string::npos) {
            if (Clock::now() > end) return false;
            pollfd wait{output_, POLLIN, 0};
            poll(&wait, 1, 20);
        }
        return true;
    }
    std::string drain()
    {
        char buffer[512];
        for (ssize_t got; (got = read(output_, buffer, sizeof buffer)) > 0;) seen_.append(buffer, static_cast<size_t>(got));
        return seen_;
    }
    bool waitForTrace(const std::string& text)
    {
        const Clock::time_point end = Clock::now() + kPatience;
        while (readWhole(trace_).find(text) == std::string::npos) {
            if (Clock::now() > end) return false;
            usleep(2000);
        }
        return true;
    }
    // The exit status, or 128 + the signal that ended the program.
    int finish()
    {
        const Clock::time_point end = Clock::now() + kPatience;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > end) return -1;
            drain();
            usleep(5000);
        }
        drain();
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // The clock the simulated board ended at, as its trace's last line says.
    std::string endedAt()
    {
        const std::string trace = readWhole(trace_);
        const size_t at = trace.rfind("end: ");
        return at == std::string::npos ? "no end line" : trace.substr(at, trace.find('\n', at) - at);
    }

    pid_t pid_ = -1;
    int input_ = -1;
    std::string seen_;  // all the program wrote

private:
    int output_ = -1;
    std::string trace_ = uniqueTestFile("trace");
};

constexpr char kOld[] = "end: FSB 133.0 MHz, divider 4";
constexpr char kNew[] = "end: FSB 150.0 MHz, divider 5";
// Register 18 is written, register 20 not yet: each SMBus poll takes its
// millisecond when the board runs at the real pace.
constexpr char kBetweenTheFsbWrites[] = "0xD2 cmd 0x12 word";
// The FSB registers are written; the 500 ms pause before the divider runs.
constexpr char kInThePause[] = "0xD2 cmd 0x14 word";
constexpr char kQuestion[] = "keep the new clocks? [y/N, ";

// A signal in the pause between the FSB and the divider waits until the
// programming is over; one that comes before or during the question counts
// as no, and the previous setting comes back before the program ends with
// the signal's status.
TEST_F(CliProcess, HeldSignalsEndNothingHalfWay)
{
    struct Case {
        int signal;
        const char* at;  // a trace line of the programming, or null: the question
        const char* confirm;
        const char* endsAt;
    };
    const Case cases[] = {
        {SIGTERM, kBetweenTheFsbWrites, "0", kNew},  // no question: what was asked for stays
        {SIGTERM, kInThePause, "0", kNew},
        {SIGTERM, kInThePause, "10", kOld},
        {SIGINT, nullptr, "10", kOld},
        {SIGHUP, nullptr, "10", kOld},
        {SIGQUIT, nullptr, "10", kOld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " after " + (c.at != nullptr ? c.at : "the question"));
        TearDown();
        input_ = -1;
        seen_.clear();
        start(Streams::Pipes, c.at != nullptr ? "pace=real" : "", c.confirm);
        ASSERT_TRUE(c.at != nullptr ? waitForTrace(c.at) : waitForOutput(kQuestion)) << seen_;
        kill(pid_, c.signal);
        EXPECT_EQ(finish(), 128 + c.signal) << seen_;
        EXPECT_EQ(endedAt(), c.endsAt) << seen_;
        if (c.endsAt == kOld) {
            EXPECT_NE(seen_.find(std::string("interrupted by SIG") + sigabbrev_np(c.signal) +
                                 ": going back to FSB 133.0 MHz, divider 1/4"),
                      std::string::npos)
                << seen_;
            EXPECT_NE(seen_.find("reverted to FSB 133.0 MHz, divider 1/4"), std::string::npos) << seen_;
        }
    }
}

// An ssh connection that drops: the terminal hangs up during the question.
// Nobody can answer, so the previous setting comes back.
TEST_F(CliProcess, ATerminalThatHangsUpIsANo)
{
    start(Streams::Terminal, "", "10");
    ASSERT_TRUE(waitForOutput(kQuestion)) << seen_;
    close(input_);
    input_ = -1;
    EXPECT_EQ(finish(), 128 + SIGHUP);
    EXPECT_EQ(endedAt(), kOld);
}

// The question goes to the terminal even when standard error goes nowhere,
// and it is answered there.
TEST_F(CliProcess, TheQuestionIsAskedOnTheTerminal)
{
    start(Streams::TerminalNoErrors, "", "10");
    ASSERT_TRUE(waitForOutput(kQuestion)) << seen_;
    ASSERT_EQ(write(input_, "y\n", 2), 2);
    EXPECT_EQ(finish(), 0) << seen_;
    EXPECT_EQ(endedAt(), kNew);
}

// A "y" typed while the clocks were still changing answers nothing.
TEST_F(CliProcess, WhatWasTypedBeforeTheQuestionDoesNotAnswerIt)
{
    start(Streams::TerminalNoErrors, "pace=real", "1");
    ASSERT_EQ(write(input_, "y\n", 2), 2);
    ASSERT_TRUE(waitForOutput(kQuestion)) << seen_;
    EXPECT_EQ(finish(), 3) << seen_;
    EXPECT_EQ(endedAt(), kOld);
}

// Through a pipe, the clocks read back come before the question about them.
TEST_F(CliProcess, TheClocksComeBeforeTheQuestion)
{
    start(Streams::Pipes, "", "10");
    ASSERT_TRUE(waitForOutput(kQuestion)) << seen_;
    ASSERT_EQ(write(input_, "n\n", 2), 2);
    EXPECT_EQ(finish(), 3) << seen_;
    const size_t clocks = seen_.find("FSB: 150.0 MHz\nmemory: 450.0 MHz\nAGP: 60.00 MHz\nPCI: 30.00 MHz\n");
    ASSERT_NE(clocks, std::string::npos) << seen_;
    EXPECT_LT(clocks, seen_.find(kQuestion)) << seen_;
    EXPECT_NE(seen_.find("declined: going back to FSB 133.0 MHz, divider 1/4"), std::string::npos) << seen_;
}

}  // namespace

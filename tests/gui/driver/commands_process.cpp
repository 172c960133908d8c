#include "commands.h"

#include <cstdio>
#include <cstdlib>

#include "command_support.h"

namespace guidriver {

bool cmdCd(Session& s, const ScriptLine& line, std::string&)
{
    s.directory = line.restAfter(1);
    return true;
}

bool cmdEnv(Session&, const ScriptLine& line, std::string& failure)
{
    const std::string value = line.restAfter(2);
    if (SetEnvironmentVariableA(line.words[1].c_str(), value.empty() ? nullptr : value.c_str()) ||
        value.empty())
        return true;
    failure = "cannot set " + line.words[1];
    return false;
}

bool cmdStart(Session& s, const ScriptLine& line, std::string& failure)
{
    s.window = nullptr;
    QueryPerformanceCounter(&s.startedAt);
    return s.target.start(line.words[1], line.restAfter(2), s.directory, failure);
}

bool cmdWaitWindow(Session& s, const ScriptLine& line, std::string& failure)
{
    s.window = s.target.waitWindow(line.words[1], secondsOr(s, line.words, 2, s.timeoutMs));
    if (s.window != nullptr) return true;
    failure = "no window " + quote(line.words[1]) + (s.target.running() ? " in time" : ": the program ended");
    return false;
}

bool cmdWaitGone(Session& s, const ScriptLine& line, std::string& failure)
{
    if (s.target.waitGone(line.words[1], secondsOr(s, line.words, 2, s.timeoutMs))) return true;
    failure = "window " + quote(line.words[1]) + " is still open";
    return false;
}

bool cmdExit(Session& s, const ScriptLine& line, std::string& failure)
{
    DWORD status = 0;
    if (!s.target.waitExit(secondsOr(s, line.words, 2, s.timeoutMs), status)) {
        failure = "the program did not end";
        return false;
    }
    s.window = nullptr;
    if (line.words[1] == "any") return true;
    return expectEqual("exit status", line.words[1], std::to_string(static_cast<long>(status)), failure);
}

bool cmdExpectNever(Session& s, const ScriptLine& line, std::string& failure)
{
    s.target.look();
    if (!s.target.seen(line.words[1])) return true;
    failure = "window " + quote(line.words[1]) + " was shown";
    return false;
}

bool cmdExpectNoWindows(Session& s, const ScriptLine&, std::string& failure)
{
    s.target.look();
    if (s.target.seenCaptions().empty()) return true;
    failure = "windows were shown:";
    for (const std::string& c : s.target.seenCaptions()) failure += " " + quote(c);
    return false;
}

bool cmdTimeout(Session& s, const ScriptLine& line, std::string&)
{
    s.timeoutMs = secondsOr(s, line.words, 1, s.timeoutMs);
    return true;
}

bool cmdSleep(Session&, const ScriptLine& line, std::string&)
{
    Sleep(static_cast<DWORD>(std::atol(line.words[1].c_str())));
    return true;
}

// Figures for the bench: `name value unit` on stdout.
bool cmdPrintElapsed(Session& s, const ScriptLine& line, std::string&)
{
    std::printf("%s %.0f ms\n", line.words[1].c_str(), millisecondsSince(s.startedAt));
    std::fflush(stdout);
    return true;
}

bool cmdPrintLast(Session& s, const ScriptLine& line, std::string&)
{
    std::printf("%s %.0f ms\n", line.words[1].c_str(), s.lastCommandMs);
    std::fflush(stdout);
    return true;
}

}  // namespace guidriver

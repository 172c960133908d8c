#include "commands.h"

namespace guidriver {

namespace {

struct Command {
    const char* name;
    size_t words;  // at least, the name included
    CommandFunction* run;
};

const Command kCommands[] = {
    {"cd", 2, cmdCd},
    {"env", 2, cmdEnv},
    {"start", 2, cmdStart},
    {"wait-window", 2, cmdWaitWindow},
    {"wait-gone", 2, cmdWaitGone},
    {"click", 2, cmdClick},
    {"focus", 2, cmdFocus},
    {"key", 2, cmdKey},
    {"slide", 3, cmdSlide},
    {"select", 3, cmdSelect},
    {"set-text", 3, cmdSetText},
    {"expect-focus", 2, cmdExpectFocus},
    {"expect-text", 3, cmdExpectText},
    {"expect-enabled", 3, cmdExpectEnabled},
    {"expect-slider", 3, cmdExpectSlider},
    {"expect-list", 4, cmdExpectList},
    {"expect-count", 3, cmdExpectCount},
    {"expect-static", 2, cmdExpectStatic},
    {"expect-box", 3, cmdExpectBox},
    {"exit", 2, cmdExit},
    {"expect-never", 2, cmdExpectNever},
    {"expect-no-windows", 1, cmdExpectNoWindows},
    {"write-file", 3, cmdWriteFile},
    {"expect-file", 3, cmdExpectFile},
    {"write-text", 3, cmdWriteText},
    {"expect-same-file", 3, cmdExpectSameFile},
    {"expect-no-file", 2, cmdExpectNoFile},
    {"expect-file-has", 3, cmdFileHas},
    {"expect-file-lacks", 3, cmdFileLacks},
    {"delete-file", 2, cmdDeleteFile},
    {"copy-file", 3, cmdCopyFile},
    {"make-folder", 2, cmdMakeFolder},
    {"expect-no-service", 2, cmdExpectNoService},
    {"expect-service-running", 2, cmdExpectServiceRunning},
    {"create-service", 3, cmdCreateService},
    {"hold-deleted-service", 3, cmdHoldDeletedService},
    {"stop-service", 2, cmdStopService},
    {"screenshot", 2, cmdScreenshot},
    {"sleep", 2, cmdSleep},
    {"timeout", 2, cmdTimeout},
    {"print-elapsed", 2, cmdPrintElapsed},
    {"print-last", 2, cmdPrintLast},
};

}  // namespace

double millisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool runCommand(Session& session, const ScriptLine& line, std::string& failure)
{
    for (const Command& command : kCommands) {
        if (line.words[0] != command.name) continue;
        if (line.words.size() < command.words) {
            failure = "too few words for " + line.words[0];
            return false;
        }
        return command.run(session, line, failure);
    }
    failure = "unknown command " + line.words[0];
    return false;
}

}  // namespace guidriver

#include "commands.h"

namespace guidriver {

namespace {

struct Command {
    const char* name;
    size_t words;  // at least, the name included
    CommandFunction* run;
    bool expectation;  // checked again until it holds or the wait ends
};

const Command kCommands[] = {
    {"cd", 2, cmdCd, false},
    {"env", 2, cmdEnv, false},
    {"start", 2, cmdStart, false},
    {"wait-window", 2, cmdWaitWindow, false},
    {"wait-gone", 2, cmdWaitGone, false},
    {"click", 2, cmdClick, false},
    {"focus", 2, cmdFocus, false},
    {"key", 2, cmdKey, false},
    {"slide", 3, cmdSlide, false},
    {"select", 3, cmdSelect, false},
    {"set-text", 3, cmdSetText, false},
    {"expect-focus", 2, cmdExpectFocus, true},
    {"expect-text", 3, cmdExpectText, true},
    {"expect-enabled", 3, cmdExpectEnabled, true},
    {"expect-slider", 3, cmdExpectSlider, true},
    {"expect-list", 4, cmdExpectList, true},
    {"expect-count", 3, cmdExpectCount, true},
    {"expect-static", 2, cmdExpectStatic, true},
    {"expect-box", 3, cmdExpectBox, false},
    {"wait-box", 2, cmdWaitBox, false},
    {"expect-no-box", 2, cmdExpectNoBox, false},
    {"exit", 2, cmdExit, false},
    {"expect-never", 2, cmdExpectNever, false},
    {"expect-no-windows", 1, cmdExpectNoWindows, false},
    {"write-file", 3, cmdWriteFile, false},
    {"expect-file", 3, cmdExpectFile, true},
    {"write-text", 3, cmdWriteText, false},
    {"expect-same-file", 3, cmdExpectSameFile, true},
    {"expect-no-file", 2, cmdExpectNoFile, false},
    {"expect-file-has", 3, cmdFileHas, true},
    {"expect-file-lacks", 3, cmdFileLacks, false},
    {"delete-file", 2, cmdDeleteFile, false},
    {"copy-file", 3, cmdCopyFile, false},
    {"make-folder", 2, cmdMakeFolder, false},
    {"expect-no-service", 2, cmdExpectNoService, false},
    {"expect-service-running", 2, cmdExpectServiceRunning, false},
    {"create-service", 3, cmdCreateService, false},
    {"hold-deleted-service", 3, cmdHoldDeletedService, false},
    {"stop-service", 2, cmdStopService, false},
    {"close", 1, cmdClose, false},
    {"end-session", 1, cmdEndSession, false},
    {"crash", 1, cmdCrash, false},
    {"hold-mutex", 2, cmdHoldMutex, false},
    {"release-mutex", 1, cmdReleaseMutex, false},
    {"screenshot", 2, cmdScreenshot, false},
    {"soak-baseline", 1, cmdSoakBaseline, false},
    {"soak-check", 1, cmdSoakCheck, false},
    {"sleep", 2, cmdSleep, false},
    {"timeout", 2, cmdTimeout, false},
    {"print-elapsed", 2, cmdPrintElapsed, false},
    {"print-last", 2, cmdPrintLast, false},
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
        if (!command.expectation) return command.run(session, line, failure);
        // Keys go through the program's own message loop and take effect a
        // moment after they are posted, and a file is written after the
        // dialog that named it has gone; a state that never comes fails.
        const DWORD begin = GetTickCount();
        while (!command.run(session, line, failure)) {
            if (GetTickCount() - begin > session.expectMs) return false;
            Sleep(50);
        }
        return true;
    }
    failure = "unknown command " + line.words[0];
    return false;
}

}  // namespace guidriver

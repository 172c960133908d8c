// qz8-guidriver SCRIPT: runs a GUI test script against a Win32 program, one
// command a line, and stops at the first failed check, with a screenshot
// SCRIPTNAME-failed when screenshots are taken. Exit status 0 when every line
// passed, 1 on a failure, 2 on a bad script. QZ8_GUI_TIME_SCALE=N multiplies
// every wait bound by N (an emulated machine is that much slower).
// "repeat COUNT [VARIABLE]" ... "end-repeat" runs the lines between again.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "script_flow.h"
#include "session.h"

namespace {

// The screen as the failed line left it: SCRIPTNAME-failed.
void screenshotOfFailure(guidriver::Session& session, const std::string& script)
{
    std::string name = script.substr(script.find_last_of("\\/") + 1);
    name = name.substr(0, name.rfind('.')) + "-failed";
    guidriver::ScriptLine line;
    line.words = {"screenshot", name};
    std::string ignored;
    session.timeoutMs = 5000;  // a program that stopped answering is drawn as it is
    guidriver::runCommand(session, line, ignored);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qz8-guidriver SCRIPT\n");
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 2;
    }
    std::vector<std::string> texts;
    for (std::string text; std::getline(script, text);) texts.push_back(text);
    guidriver::Session session;
    if (const char* scale = std::getenv("QZ8_GUI_TIME_SCALE")) {
        const long factor = std::atol(scale);
        if (factor >= 1) session.timeScale = static_cast<DWORD>(factor);
    }
    session.timeoutMs *= session.timeScale;
    session.expectMs *= session.timeScale;
    session.target.setPollMs(10 * session.timeScale);
    guidriver::ScriptFlow flow(texts);
    guidriver::ScriptLine line;
    std::string failure;
    while (flow.next(line, failure)) {
        LARGE_INTEGER begin;
        QueryPerformanceCounter(&begin);
        const bool passed = guidriver::runCommand(session, line, failure);
        session.lastCommandMs = guidriver::millisecondsSince(begin);
        if (!passed) {
            std::fprintf(stderr, "%s:%d: %s\n  FAILED: %s\n", argv[1], line.number, line.raw.c_str(), failure.c_str());
            std::fflush(stderr);
            screenshotOfFailure(session, argv[1]);
            return 1;
        }
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], line.number, failure.c_str());
        return 2;
    }
    if (session.target.running()) {
        std::fprintf(stderr, "%s: the program is still running at the end of the script\n", argv[1]);
        return 1;
    }
    std::fprintf(stderr, "%s: %d lines passed\n", argv[1], static_cast<int>(texts.size()));
    return 0;
}

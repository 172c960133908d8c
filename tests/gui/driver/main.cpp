// qz8-guidriver SCRIPT: runs a GUI test script against a Win32 program, one
// command a line, and stops at the first failed check. Exit status 0 when
// every line passed, 1 on a failure, 2 on a bad script.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "script_line.h"
#include "session.h"

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
    guidriver::Session session;
    std::string text;
    int number = 0;
    while (std::getline(script, text)) {
        ++number;
        guidriver::ScriptLine line;
        std::string failure;
        if (!guidriver::parseLine(text, number, line, failure)) {
            std::fprintf(stderr, "%s:%d: %s\n", argv[1], number, failure.c_str());
            return 2;
        }
        if (line.words.empty()) continue;
        LARGE_INTEGER begin;
        QueryPerformanceCounter(&begin);
        const bool passed = guidriver::runCommand(session, line, failure);
        session.lastCommandMs = guidriver::millisecondsSince(begin);
        if (!passed) {
            std::fprintf(stderr, "%s:%d: %s\n  FAILED: %s\n", argv[1], number, text.c_str(), failure.c_str());
            std::fflush(stderr);
            return 1;
        }
    }
    if (session.target.running()) {
        std::fprintf(stderr, "%s: the program is still running at the end of the script\n", argv[1]);
        return 1;
    }
    std::fprintf(stderr, "%s: %d lines passed\n", argv[1], number);
    return 0;
}

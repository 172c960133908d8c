// The state a script works on, and the table of its commands.
#pragma once

#include <windows.h>

#include <string>

#include "process_census.h"
#include "script_line.h"
#include "target.h"

namespace guidriver {

struct Session {
    Target target;
    HWND window = nullptr;        // the window that control ids refer to
    std::string directory;        // working directory for the next start
    LARGE_INTEGER startedAt{};    // when the last start ran
    double lastCommandMs = 0.0;   // duration of the previous command
    DWORD timeoutMs = 60000;      // for the program to start, end, answer
    DWORD expectMs = 3000;        // for an expected state to come about
    DWORD timeScale = 1;          // every wait bound times this: a slow (emulated) machine
    HANDLE heldMutex = nullptr;   // a mutex the script holds itself
    // soak-baseline: its census, when it was taken, and how often it ran.
    Census soakBaseline;
    LARGE_INTEGER soakBaselineAt{};
    long soakPasses = 0;
};

// Runs one command line. False with a message that says what was expected
// and what was found.
bool runCommand(Session& session, const ScriptLine& line, std::string& failure);

double millisecondsSince(const LARGE_INTEGER& start);

}  // namespace guidriver

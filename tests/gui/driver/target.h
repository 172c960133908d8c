// The program under test: its process and its windows, seen from outside.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace guidriver {

class Target {
public:
    ~Target();

    // Starts `program` with `arguments` appended to its quoted name, in
    // `directory` (empty: the driver's own).
    bool start(const std::string& program, const std::string& arguments, const std::string& directory,
               std::string& error);
    bool running() const;
    // Waits for the end of the process; false on timeout.
    bool waitExit(DWORD timeoutMs, DWORD& status);
    void kill();
    // Starts a thread of the process at an unmapped address.
    bool crash();

    // A visible top-level window of the process with this caption; polls
    // until found, the process ends, or the timeout.
    HWND waitWindow(const std::string& caption, DWORD timeoutMs);
    // Polls until no visible window of the process has this caption.
    bool waitGone(const std::string& caption, DWORD timeoutMs);
    // True when a window with this caption was seen since start().
    bool seen(const std::string& caption) const { return seen_.count(caption) != 0; }
    const std::set<std::string>& seenCaptions() const { return seen_; }

    // Waits until the process's UI thread has handled everything sent to it
    // so far (or sits in a modal loop). False when it does not answer in time.
    bool settle(HWND window, DWORD timeoutMs);

    // Sends `message` as a user's action would deliver it and waits until
    // the program has handled it, or shows a new window (a box or dialog the
    // handler opened, which now waits for the script), or ends.
    enum class Outcome { Handled, NewWindow, Ended, TimedOut };
    Outcome press(HWND to, UINT message, WPARAM w, LPARAM l, DWORD timeoutMs);
    // Polls until this window is gone or hidden.
    bool waitClosed(HWND window, DWORD timeoutMs);

    // Refreshes the record of captions seen; called by every polling loop.
    void look();

    // How often the waits look again: a window that opens or closes is seen
    // that much later at most.
    void setPollMs(DWORD ms) { pollMs_ = ms; }

    HANDLE process() const { return info_.hProcess; }
    DWORD processId() const { return info_.dwProcessId; }
    DWORD threadId() const { return info_.dwThreadId; }

private:
    PROCESS_INFORMATION info_{};
    std::set<std::string> seen_;
    DWORD pollMs_ = 50;
};

std::string windowText(HWND window);  // WM_GETTEXT, works across processes
std::string className(HWND window);

}  // namespace guidriver

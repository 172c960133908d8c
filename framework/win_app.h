// The application object: the program's one CWinApp, whose startUp runs
// when the program starts and whose shutDown gives the exit status.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // True enters the message loop, which ends at once when there is no main
    // window; false goes straight to shutDown.
    virtual bool startUp() = 0;
    // The exit status; by default the message loop's.
    virtual int shutDown() { return exitCode_; }

    // The arguments, without the program's own name.
    const char* commandLine() const { return commandLine_; }
    void setMainWindow(CWnd* window) { mainWindow_ = window; }
    CWnd* mainWindow() const { return mainWindow_; }
    // Dialogs look the same with or without this on Win32: there is no
    // separate three-dimensional control library to switch on.
    void enable3dControls() {}

    // Called by WinMain.
    int run(const char* commandLine);
    static CWinApp* current();

protected:
    int exitCode_ = 0;

private:
    const char* commandLine_ = "";
    CWnd* mainWindow_ = nullptr;
};

#include "framework/win_app.h"

#include <commctrl.h>

namespace {
CWinApp* theApplication = nullptr;
}  // namespace

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp()
{
    if (theApplication == this) theApplication = nullptr;
}

CWinApp* CWinApp::current() { return theApplication; }

int CWinApp::run(const char* commandLine)
{
    commandLine_ = commandLine != nullptr ? commandLine : "";
    // The trackbar class lives in the common controls library.
    InitCommonControls();

    if (startUp()) {
        // Without a main window the loop ends at once, with the status
        // start-up left.
        if (mainWindow_ == nullptr) PostQuitMessage(exitCode_);
        MSG message{};
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exitCode_ = static_cast<int>(message.wParam);
    }
    return shutDown();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    CWinApp* app = CWinApp::current();
    return app != nullptr ? app->run(commandLine) : 1;
}

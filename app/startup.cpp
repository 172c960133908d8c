#include "app/startup.h"

#include "app/app_platform.h"
#include "app/main_window.h"
#include "app/startup_sequence.h"
#include "hw/hw_channel.h"

namespace {
CModifierApp theApp;

LPTOP_LEVEL_EXCEPTION_FILTER runtimeFilter = nullptr;

// A crash must not leave the driver service behind. The C runtime's own
// filter decides first (it resumes only what the program asked it to);
// whatever ends the process removes the service before the system reports.
LONG WINAPI unloadOnCrash(EXCEPTION_POINTERS* exception)
{
    const LONG verdict = runtimeFilter != nullptr ? runtimeFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    if (verdict == EXCEPTION_CONTINUE_EXECUTION) return verdict;
    closeDevice();
    unloadDriver();
    return verdict;
}
}  // namespace

bool CModifierApp::startUp()
{
    const int32_t refused = installAppPlatform();
    if (refused != 0) {
        exitCode_ = refused;
        return false;
    }
    platformReady_ = true;
    runtimeFilter = SetUnhandledExceptionFilter(unloadOnCrash);

    if (!bringUpHardware()) return false;
    const BatchOutcome batch = runBatchMode(commandLine());
    if (batch != BatchOutcome::NotBatch) {
        // A file that was refused or not applied is no success.
        exitCode_ = batch == BatchOutcome::Applied ? 0 : 1;
        return true;
    }

    enable3dControls();
    CModifierDlg window;
    setMainWindow(&window);
    window.doModal();
    setMainWindow(nullptr);
    return false;
}

int CModifierApp::shutDown()
{
    if (platformReady_) {
        unloadDriver();
        releaseAppPlatform();
    }
    return CWinApp::shutDown();
}

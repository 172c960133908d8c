#include "app/startup.h"

#include "app/app_platform.h"
#include "app/main_window.h"
#include "app/startup_sequence.h"
#include "hw/hw_channel.h"

namespace {
CModifierApp theApp;
}  // namespace

bool CModifierApp::startUp()
{
    const int32_t refused = installAppPlatform();
    if (refused != 0) {
        exitCode_ = refused;
        return false;
    }
    platformReady_ = true;

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

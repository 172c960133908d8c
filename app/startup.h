// The application object: start-up (hardware survey, then batch mode or the
// main window) and shutdown.
#pragma once

#include <cstdint>

#include "framework/win_app.h"

class CModifierApp : public CWinApp {
public:
    bool startUp() override;
    int shutDown() override;

private:
    bool platformReady_ = false;
};

#pragma once

#include "platform/win_app.h"

#include <windows.h>

// The application object: start-up, which runs the main window, or the
// scripted downloads when the command line starts with a switch.
class CDownloadApp : public platform::WinApp {
public:
    // Runs the program's one window modally, or the scripted downloads.
    // Always FALSE: nothing is left to run once they have ended.
    BOOL InitInstance();

    int m_nExitCode = 0; // the process's: a script's outcome, else 0
};

CDownloadApp& TheApp();

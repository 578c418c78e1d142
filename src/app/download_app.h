#pragma once

#include "platform/win_app.h"

#include <windows.h>

// The application object: start-up, which runs the main window.
class CDownloadApp : public platform::WinApp {
public:
    // Runs the program's one window modally. Always FALSE: nothing is left to
    // run once the main window has closed.
    BOOL InitInstance();
};

CDownloadApp& TheApp();

#pragma once

#include <windows.h>

#include <string>

// The application object: its name, the settings file and the command line,
// and the start-up that runs the main window.
class CDownloadApp {
public:
    // Runs the program's one window modally. Always FALSE: nothing is left to
    // run once the main window has closed.
    BOOL InitInstance();

    std::string m_strAppName;     // caption of the windows and of plain message boxes
    std::string m_strProfileName; // full path of the settings file
    std::string m_strCmdLine;     // text after the program name
};

CDownloadApp& TheApp();

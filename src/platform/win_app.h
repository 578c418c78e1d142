#pragma once

#include <string>

namespace platform {

// What the application object holds for every window: its name, the
// settings file and the command line. The program has one application
// object, derived from this; windows reach it through GetApp().
class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    std::string m_strAppName;     // caption of the windows and of plain message boxes
    std::string m_strProfileName; // full path of the settings file
    std::string m_strCmdLine;     // text after the program name
};

// The application object; it must exist.
WinApp& GetApp();

} // namespace platform

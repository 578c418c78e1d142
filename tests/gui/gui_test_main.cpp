#include "app/download_app.h"
#include "platform/app_message.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // What the program's start-up sets before its main window runs.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TheApp().m_strAppName = "Tavro Download";
    platform::SetApplicationName(TheApp().m_strAppName);
    // A crash must fail the test, not wait in a crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return RUN_ALL_TESTS();
}

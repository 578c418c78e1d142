#include "app/download_app.h"
#include "platform/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    TheApp().m_strCmdLine = platform::Narrow(commandLine ? commandLine : L"");
    TheApp().InitInstance();
    return TheApp().m_nExitCode;
}

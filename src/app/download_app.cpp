#include "app/download_app.h"

#include "app/script_mode.h"
#include "mainwnd/download_dlg.h"
#include "platform/app_message.h"
#include "platform/com.h"
#include "platform/console.h"
#include "platform/console_output.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/command_line.h"
#include "script/outcomes.h"
#include "settings/settings_path.h"

#include <commctrl.h>

CDownloadApp& TheApp() {
    static CDownloadApp app;
    return app;
}

namespace {

std::string SettingsPathOfThisProgram() {
    std::wstring path = platform::ModulePath();
    CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    return settings::SettingsPathForProgram(platform::Narrow(path));
}

} // namespace

BOOL CDownloadApp::InitInstance() {
    // The tab classes bring the port box's tooltip.
    INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                     ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    std::string title = platform::LoadResString(IDS_APP_TITLE);
    if (title.size() > 255) {
        title.resize(255);
    }
    m_strProfileName = SettingsPathOfThisProgram();
    m_strAppName = title;
    platform::SetApplicationName(title);

    const std::optional<std::vector<std::string>> split = platform::SplitCommandLine(m_strCmdLine);
    if (!split) {
        // What it was asked is unknown: neither a download nor the main
        // window, which a script would wait on for ever.
        platform::ConsoleOutput().WriteLine(platform::LoadResString(IDS_COMMAND_LINE_UNREADABLE));
        m_nExitCode = script::ExitCode(run::Outcome::Refused);
        return FALSE;
    }
    const std::vector<std::string>& arguments = *split;
    // TavroDownload.com, the console twin, has a console from its start: one
    // of its own when started from Explorer, which must not stay open beside
    // the windows, else the one of the prompt or script that started it.
    if (script::IsSwitchCommandLine(arguments)) {
        platform::LeaveOwnConsole();
        m_nExitCode = RunScriptedDownloads(arguments, m_strProfileName);
    } else {
        // The main window writes no line; a prompt still waits for the
        // program, but a Ctrl+C typed there or the console closed no longer
        // end it in the middle of a download.
        platform::LeaveConsole();
        CDownloadDlg dlg;
        dlg.DoModal(nullptr);
    }
    platform::EndCom(); // begun by the taskbar progress or the file dialog, if they came
    return FALSE;
}

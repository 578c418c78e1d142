#include "app/download_app.h"

#include "app/script_mode.h"
#include "mainwnd/download_dlg.h"
#include "platform/app_message.h"
#include "platform/com.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/command_line.h"
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

    const std::vector<std::string> arguments = platform::SplitCommandLine(m_strCmdLine);
    if (script::IsSwitchCommandLine(arguments)) {
        m_nExitCode = RunScriptedDownloads(arguments, m_strProfileName);
    } else {
        CDownloadDlg dlg;
        dlg.DoModal(nullptr);
    }
    platform::EndCom(); // begun by the taskbar progress or the file dialog, if they came
    return FALSE;
}
